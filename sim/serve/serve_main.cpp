#include "sim/serve/serve_main.h"

#include <pthread.h>
#include <signal.h>

#include <iostream>
#include <thread>

#include "sim/scenario/scenario.h"
#include "sim/serve/live_server.h"

namespace sim::serve {

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
  LiveLoop loop(
      [setup = std::move(*setup), options = std::move(options)](Nanos wallNow) {
        return std::make_unique<LiveSession>(setup, options, wallNow);
      },
      &std::cout);
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
  // The server closes every connection at once, whatever its clients are
  // doing; then the session ends and the stored files are saved.
  server.stop();
  http.join();
  loop.stop();
  return loop.exitStatus();
}

}  // namespace sim::serve
