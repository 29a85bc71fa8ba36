// `vistrel-desktop --serve` as a program: the same file for both stored-file
// options is refused before anything is served; the address it prints
// carries the token; SIGTERM or Ctrl-C ends it at once, whatever its
// clients are doing, after the stored files are saved, with the exit
// status the files call for. Every wait has a deadline.
#include "tests/live_server_program.h"

namespace {

using live_test::ServeProgram;
using live_test::Socket;
using live_test::within;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

TEST_F(ServeProgram, TheSameFileForBothIsRefusedBeforeAnythingIsServed) {
  write(at("file"), "modKey int 2\n");
  spawn({"--defaults", at("file"), "--login-items", at("file")});
  EXPECT_EQ(exitBy(within(10'000ms)), 2);
  EXPECT_EQ(read(at("err")), "vistrel-desktop: --defaults " + at("file") + " and --login-items " +
                                 at("file") +
                                 " name the same file; each needs a file of its own\n");
  EXPECT_EQ(read(at("file")), "modKey int 2\n");
}

// Within a second, as promised. The margin above it is for the sanitizers'
// work at exit on a loaded machine of two cores; it measured 0.21 s.
constexpr auto kStopTime = 1500ms;

// Slow senders hold connections, clients that never read hold answers of
// the trace and the session half written, and event streams are held (one
// more than the limit) when the signal comes: the program ends within a
// second all the same, its files saved.
TEST_F(ServeProgram, AStopSignalEndsItWithinASecondAfterSavingTheFiles) {
  // A trace and a session far larger than what a socket holds.
  std::string scenario;
  for (int i = 0; i < 500; ++i)
    scenario += "at 0.001 defaults Key" + std::to_string(i % 20) + " string \"" +
                std::string(2000, 'x') + "\"\n";
  write(at("large.scn"), scenario);
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
    spawn({"--defaults", at("user/defaults"), "--login-items", items, at("large.scn")});
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
    for (int i = 0; i < 5; ++i) {
      auto events = std::make_unique<Socket>(port);
      events->send(live_test::request("GET", "/events?token=" + token, port));
      ASSERT_TRUE(events->readUntil("data: {", within(live_test::kWait)));
      clients.push_back(std::move(events));
    }
    // Once the scenario's lines are in the trace, ask for it and never read.
    bool ran = false;
    auto deadline = within(live_test::kWait);
    for (int i = 0; i < 200 && !ran && std::chrono::steady_clock::now() < deadline; ++i) {
      auto state =
          live_test::exchange(port, live_test::request("GET", "/state?token=" + token, port));
      ran = state && state->body.find("\"scenarioLinesLeft\":0") != std::string::npos;
      if (!ran) std::this_thread::sleep_for(20ms);  // between polls only
    }
    ASSERT_TRUE(ran);
    for (const char* path : {"/trace", "/trace", "/trace", "/session.scn", "/session.scn"}) {
      clients.push_back(std::make_unique<Socket>(port, 4096));
      clients.back()->send(live_test::request("GET", path + ("?token=" + token), port));
    }
    // The writes to them have begun and stalled.
    ASSERT_TRUE(clients.back()->readUntil("HTTP/1.1 200", within(live_test::kWait)));

    auto signalled = std::chrono::steady_clock::now();
    ASSERT_EQ(::kill(pid_, c.signal), 0);
    EXPECT_EQ(exitBy(signalled + kStopTime), c.status) << read(at("err"));
    for (auto& client : clients) EXPECT_TRUE(client->closedBy(within(1'000ms)));
    EXPECT_NE(read(at("user/defaults")).find("\nmodKey int 2\n"), std::string::npos);
    if (c.savable)
      EXPECT_EQ(read(at("user/items")), "\"file:///Applications/B.app/\"\n");
    else
      EXPECT_NE(read(at("err")).find("cannot be saved"), std::string::npos) << read(at("err"));
  }
}

}  // namespace
