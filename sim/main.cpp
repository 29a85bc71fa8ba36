// vistrel-desktop: runs a scenario on the simulated desktop with the agent
// and prints the trace.
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "app/entry.h"
#include "sim/desktop.h"
#include "sim/serve/serve_main.h"

#ifndef VISTREL_RESOURCE_DIR
#define VISTREL_RESOURCE_DIR "resources"
#endif

namespace {

int usage() {
  std::cerr << "usage: vistrel-desktop [--defaults FILE] [--login-items FILE] "
               "[--resources DIR] SCENARIO.scn\n"
               "       vistrel-desktop --serve [--port N] [options] [SCENARIO.scn]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  sim::DesktopOptions options;
  options.entry = agentMain;
  options.resourceDir = VISTREL_RESOURCE_DIR;
  const char* scenarioPath = nullptr;
  bool serve = false;
  int port = sim::serve::kDefaultPort;
  bool portGiven = false;
  for (int i = 1; i < argc; ++i) {
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    if (!std::strcmp(argv[i], "--defaults")) {
      const char* v = value();
      if (!v) return usage();
      options.defaultsFile = v;
    } else if (!std::strcmp(argv[i], "--login-items")) {
      const char* v = value();
      if (!v) return usage();
      options.loginItemsFile = v;
    } else if (!std::strcmp(argv[i], "--resources")) {
      const char* v = value();
      if (!v) return usage();
      options.resourceDir = v;
    } else if (!std::strcmp(argv[i], "--serve")) {
      serve = true;
    } else if (!std::strcmp(argv[i], "--port")) {
      const char* v = value();
      char* end = nullptr;
      long n = v ? std::strtol(v, &end, 10) : -1;
      if (!v || end == v || *end || n < 0 || n > 65535) return usage();
      port = static_cast<int>(n);
      portGiven = true;
    } else if (argv[i][0] == '-' || scenarioPath) {
      return usage();
    } else {
      scenarioPath = argv[i];
    }
  }
  if (portGiven && !serve) return usage();
  if (serve)
    return sim::serve::serveDesktop(
        std::move(options), scenarioPath ? std::optional<std::string>(scenarioPath) : std::nullopt,
        port);
  if (!scenarioPath) return usage();

  sim::Scenario scenario;
  try {
    scenario = sim::loadScenario(scenarioPath);
  } catch (const sim::ScenarioError& e) {
    std::cerr << e.what() << "\n";
    return 2;
  }
  std::ios::sync_with_stdio(false);
  sim::Desktop desktop(std::move(scenario), std::cout, std::move(options));
  int status = desktop.run();
  std::cout.flush();
  return status;
}
