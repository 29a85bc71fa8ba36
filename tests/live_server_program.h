// `vistrel-desktop --serve` as a program started by a test, on a free port
// of 127.0.0.1, its standard streams sent where the test says; killed at the
// end of the test. Every wait has a deadline.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <regex>
#include <thread>

#include "tests/live_http_client.h"
#include "tests/stored_files_folder.h"

extern char** environ;

namespace live_test {

using namespace std::chrono_literals;

class ServeProgram : public stored_files_test::TempFolder {
 protected:
  void TearDown() override {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    for (int* p : {outPipe_, errPipe_})
      for (int i : {0, 1})
        if (p[i] >= 0) ::close(p[i]), p[i] = -1;
    TempFolder::TearDown();
  }

  // Standard output goes nowhere, or into a pipe nobody reads; standard
  // error into the file "err", or into such a pipe once the address is read.
  enum class Output { Usual, Unread };
  void spawn(const std::vector<std::string>& args, Output output = Output::Usual,
             Output errors = Output::Usual) {
    errors_.clear();
    std::vector<std::string> all = {VISTREL_DESKTOP_PROGRAM, "--serve", "--port", "0"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (output == Output::Unread) {
      ASSERT_EQ(::pipe(outPipe_), 0);
      posix_spawn_file_actions_adddup2(&actions, outPipe_[1], 1);
    } else {
      posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    }
    if (errors == Output::Unread) {
      ASSERT_EQ(::pipe(errPipe_), 0);
      posix_spawn_file_actions_adddup2(&actions, errPipe_[1], 2);
    } else {
      posix_spawn_file_actions_addopen(&actions, 2, at("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                       0644);
    }
    ASSERT_EQ(posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    for (int* p : {outPipe_, errPipe_})
      if (p[1] >= 0) ::close(p[1]), p[1] = -1;
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
    auto deadline = live_test::within(30'000ms);  // a start under the sanitizers on a busy machine
    while (std::chrono::steady_clock::now() < deadline) {
      if (errPipe_[0] < 0) {
        errors_ = read(at("err"));
      } else {
        // From the pipe, until the address: after it, nobody reads.
        pollfd p{errPipe_[0], POLLIN, 0};
        char buf[4096];
        if (::poll(&p, 1, 10) > 0) {
          auto n = ::read(errPipe_[0], buf, sizeof buf);
          if (n > 0) errors_.append(buf, static_cast<std::size_t>(n));
        }
      }
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
  int outPipe_[2] = {-1, -1}, errPipe_[2] = {-1, -1};
  std::string errors_;
};

}  // namespace live_test
