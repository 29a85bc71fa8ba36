#include "sim/serve/serve_main.h"

#include <pthread.h>
#include <signal.h>

#include <iostream>
#include <thread>

#include "sim/scenario.h"
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
  LiveServer server(loop, webDir);
  if (!server.bind(port)) {
    std::cerr << "vistrel-desktop: cannot listen on 127.0.0.1:" << port << "\n";
    return 1;
  }
  loop.start();
  std::thread http([&server] { server.listen(); });
  std::cerr << "vistrel-desktop: serving http://127.0.0.1:" << server.port() << "/" << std::endl;

  int received = 0;
  sigwait(&stopSignals, &received);
  server.stop();
  http.join();
  loop.stop();
  return 0;
}

}  // namespace sim::serve
