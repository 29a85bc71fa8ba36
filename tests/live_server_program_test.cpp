// `vistrel-desktop --serve` as a program: the same file for both stored-file
// options is refused before anything is served; the address it prints
// carries the token; SIGTERM or Ctrl-C ends it at once, whatever its
// clients are doing, after the stored files are saved, with the exit
// status the files call for. Every wait has a deadline.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <regex>
#include <thread>

#include "tests/live_http_client.h"
#include "tests/stored_files_folder.h"

extern char** environ;

namespace {

using live_test::Socket;
using live_test::within;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

class ServeProgram : public stored_files_test::TempFolder {
 protected:
  void TearDown() override {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    TempFolder::TearDown();
  }

  void spawn(const std::vector<std::string>& args) {
    std::vector<std::string> all = {VISTREL_DESKTOP_PROGRAM, "--serve", "--port", "0"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, at("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    ASSERT_EQ(posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
  }

  // The exit status once the program ends by the deadline; -1 otherwise.
  int exitBy(live_test::Deadline deadline) {
    while (std::chrono::steady_clock::now() < deadline) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(5ms);  // between polls only
    }
    return -1;
  }

  // The address the program prints, once it has printed it.
  std::smatch address() {
    static const std::regex printed(
        "vistrel-desktop: serving (http://127\\.0\\.0\\.1:([0-9]+)/\\?token=([0-9a-f]{64}))\n");
    std::smatch m;
    auto deadline = within(30'000ms);  // a start under the sanitizers on a busy machine
    while (std::chrono::steady_clock::now() < deadline) {
      errors_ = read(at("err"));
      if (std::regex_search(errors_, m, printed)) return m;
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        break;
      }
      std::this_thread::sleep_for(10ms);  // between polls only
    }
    ADD_FAILURE() << "no address printed: " << errors_;
    return m;
  }

  pid_t pid_ = -1;
  std::string errors_;
};

TEST_F(ServeProgram, TheSameFileForBothIsRefusedBeforeAnythingIsServed) {
  write(at("file"), "modKey int 2\n");
  spawn({"--defaults", at("file"), "--login-items", at("file")});
  EXPECT_EQ(exitBy(within(10'000ms)), 2);
  EXPECT_EQ(read(at("err")), "vistrel-desktop: --defaults " + at("file") + " and --login-items " +
                                 at("file") +
                                 " name the same file; each needs a file of its own\n");
  EXPECT_EQ(read(at("file")), "modKey int 2\n");
}

// Slow clients hold connections and a page holds its event stream when the
// signal comes: the program ends at once all the same, its files saved.
TEST_F(ServeProgram, AStopSignalEndsItAtOnceAfterSavingTheFiles) {
  struct Case {
    int signal;
    bool savable;
    int status;
  } cases[] = {{SIGTERM, true, 0}, {SIGINT, true, 0}, {SIGTERM, false, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.signal);
    fs::remove_all(at("user"));
    fs::create_directory(at("user"));
    write(at("user/defaults"), "modKey int 2\n");
    std::string items = c.savable ? at("user/items") : at("user/missing/items");
    spawn({"--defaults", at("user/defaults"), "--login-items", items});
    auto m = address();
    ASSERT_FALSE(m.empty());
    int port = std::stoi(m[2]);
    std::string token = m[3];
    auto command = live_test::request("POST", "/command?token=" + token, port, {},
                                      "login-items add \"file:///Applications/B.app/\"");
    auto applied = live_test::exchange(port, command);
    ASSERT_TRUE(applied);
    EXPECT_EQ(applied->status, 200) << applied->body;

    std::vector<std::unique_ptr<Socket>> clients;
    for (int i = 0; i < 20; ++i) {
      clients.push_back(std::make_unique<Socket>(port));
      clients.back()->send("POST /command HTTP/1.1\r\nContent-Length: 100\r\n\r\nclick");
    }
    auto events = std::make_unique<Socket>(port);
    events->send(live_test::request("GET", "/events?token=" + token, port));
    ASSERT_TRUE(events->readUntil("data: {", within(live_test::kWait)));
    clients.push_back(std::move(events));

    ASSERT_EQ(::kill(pid_, c.signal), 0);
    EXPECT_EQ(exitBy(within(3'000ms)), c.status) << read(at("err"));
    for (auto& client : clients) EXPECT_TRUE(client->closedBy(within(1'000ms)));
    EXPECT_NE(read(at("user/defaults")).find("\nmodKey int 2\n"), std::string::npos);
    if (c.savable)
      EXPECT_EQ(read(at("user/items")), "\"file:///Applications/B.app/\"\n");
    else
      EXPECT_NE(read(at("err")).find("cannot be saved"), std::string::npos) << read(at("err"));
  }
}

}  // namespace
