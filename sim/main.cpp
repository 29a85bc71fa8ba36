// vistrel-desktop: runs a scenario on the simulated desktop with the agent
// and prints the trace.
#include <cstring>
#include <iostream>

#include "app/entry.h"
#include "sim/desktop.h"
#include "sim/file_identity.h"

#ifndef VISTREL_RESOURCE_DIR
#define VISTREL_RESOURCE_DIR "resources"
#endif

namespace {

int usage() {
  std::cerr << "usage: vistrel-desktop [--defaults FILE] [--login-items FILE] "
               "[--resources DIR] SCENARIO.scn\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  sim::DesktopOptions options;
  options.entry = agentMain;
  options.resourceDir = VISTREL_RESOURCE_DIR;
  const char* scenarioPath = nullptr;
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
    } else if (argv[i][0] == '-' || scenarioPath) {
      return usage();
    } else {
      scenarioPath = argv[i];
    }
  }
  if (!scenarioPath) return usage();
  // Each save of one would destroy the other: refuse before anything is read.
  if (options.defaultsFile && options.loginItemsFile &&
      sim::nameTheSameFile(*options.defaultsFile, *options.loginItemsFile)) {
    std::cerr << "vistrel-desktop: --defaults " << *options.defaultsFile << " and --login-items "
              << *options.loginItemsFile << " name the same file; each needs a file of its own\n";
    return 2;
  }

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
