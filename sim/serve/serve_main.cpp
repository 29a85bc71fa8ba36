#include "sim/serve/serve_main.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <iostream>
#include <thread>

#include "sim/scenario/scenario.h"
#include "sim/serve/line_outlet.h"
#include "sim/serve/live_server.h"

namespace sim::serve {

namespace {
// What a standard stream holds for a reader that is behind; more is dropped.
constexpr std::size_t kOutletBytes = 1u << 20;
// How long a stop waits for a standard stream to take what it holds.
constexpr auto kOutletGrace = std::chrono::milliseconds(100);

// While the server runs, std::cout and std::cerr write through bounded
// outlets: a reader that stops reading costs lines, never the desktop.
class BoundedStandardStreams {
 public:
  BoundedStandardStreams()
      : errors_(STDERR_FILENO, kOutletBytes),
        output_(STDOUT_FILENO, kOutletBytes,
                [this] {
                  errors_.push(
                      "vistrel-desktop: standard output is not being read: trace lines are "
                      "dropped from it (the page's /trace keeps them all)");
                }),
        errorBuffer_(errors_),
        outputBuffer_(output_) {
    std::cout.flush();
    oldOut_ = std::cout.rdbuf(&outputBuffer_);
    oldErr_ = std::cerr.rdbuf(&errorBuffer_);
  }
  ~BoundedStandardStreams() {
    std::cout.rdbuf(oldOut_);
    std::cerr.rdbuf(oldErr_);
    // Both at once: the stop waits for one grace time, not two.
    output_.beginClose(kOutletGrace);
    errors_.beginClose(kOutletGrace);
    output_.close(kOutletGrace);
    errors_.close(kOutletGrace);
  }
  LineOutlet& output() { return output_; }
  std::uint64_t dropped() const { return output_.dropped() + errors_.dropped(); }

 private:
  LineOutlet errors_, output_;
  OutletBuffer errorBuffer_, outputBuffer_;
  std::streambuf* oldOut_ = nullptr;
  std::streambuf* oldErr_ = nullptr;
};
}  // namespace

int serveDesktop(DesktopOptions options, const std::optional<std::string>& scenarioPath, int port) {
  std::optional<LiveSetup> setup;
  try {
    setup = scenarioPath ? LiveSetup::fromFile(*scenarioPath) : LiveSetup::fromText("", "live");
  } catch (const ScenarioError& e) {
    std::cerr << e.what() << "\n";
    return 2;
  }
  // Every thread started from here on leaves SIGINT and SIGTERM to the
  // one that waits for them below; a peer gone away is a failed write,
  // not a signal.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  std::string webDir = options.resourceDir + "/web";
  BoundedStandardStreams streams;
  LiveLoop loop(
      [setup = std::move(*setup), options = std::move(options)](Nanos wallNow) {
        return std::make_unique<LiveSession>(setup, options, wallNow);
      },
      &streams.output());
  loop.countDropped([&streams] { return streams.dropped(); });
  std::optional<LiveServer> made;
  try {
    made.emplace(loop, webDir);
  } catch (const std::exception& e) {
    std::cerr << "vistrel-desktop: " << e.what() << "\n";
    return 1;
  }
  LiveServer& server = *made;
  if (!server.bind(port)) {
    std::cerr << "vistrel-desktop: cannot listen on 127.0.0.1:" << port << "\n";
    return 1;
  }
  loop.start();
  std::thread http([&server] { server.listen(); });
  // The address carries the token: whoever can read this may use the page.
  std::cerr << "vistrel-desktop: serving " << server.url() << std::endl;

  int received = 0;
  sigwait(&stopSignals, &received);
  // The job under way finishes; those not started are answered that they
  // never will be. The server writes the answers given, within a short
  // grace, and closes every connection whatever its clients are doing,
  // while the session ends and the stored files are saved.
  loop.stopJobs();
  server.stop();
  loop.stop();
  http.join();
  return loop.exitStatus();
}

}  // namespace sim::serve
