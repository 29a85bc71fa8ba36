// vistrel-desktop: runs a scenario on the simulated desktop with the agent
// and prints the trace.
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "app/entry.h"
#include "backend/info_file.h"
#include "sim/desktop/desktop.h"
#include "sim/serve/serve_main.h"
#include "sim/stored/file_identity.h"

#ifndef VISTREL_RESOURCE_DIR
#define VISTREL_RESOURCE_DIR "resources"
#endif

namespace {

void printUsage(std::ostream& out) {
  out << "usage: vistrel-desktop [--defaults FILE] [--login-items FILE] "
         "[--resources DIR] SCENARIO.scn\n"
         "       vistrel-desktop --serve [--port N] [options] [SCENARIO.scn]\n"
         "       vistrel-desktop --help | --version\n";
}

int usage() {
  printUsage(std::cerr);
  return 2;
}

// "vistrel-desktop 1.0", the version the bundle's information gives.
int printVersion(const std::string& resourceDir) {
  backend::InfoDictionary info;
  if (auto error = backend::readInfoFile(resourceDir + "/Info.txt", &info)) {
    std::cerr << "vistrel-desktop: " << *error << " (bundle information)\n";
    return 1;
  }
  auto version = info.find("CFBundleShortVersionString");
  if (version == info.end()) {
    std::cerr << "vistrel-desktop: " << resourceDir
              << "/Info.txt has no CFBundleShortVersionString\n";
    return 1;
  }
  std::cout << "vistrel-desktop " << version->second << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  sim::DesktopOptions options;
  options.entry = agentMain;
  options.resourceDir = VISTREL_RESOURCE_DIR;
  const char* scenarioPath = nullptr;
  bool version = false;
  bool serve = false;
  int port = sim::serve::kDefaultPort;
  bool portGiven = false;
  for (int i = 1; i < argc; ++i) {
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    if (!std::strcmp(argv[i], "--help")) {
      printUsage(std::cout);
      return 0;
    } else if (!std::strcmp(argv[i], "--version")) {
      version = true;  // once --resources, wherever it stands, is known
    } else if (!std::strcmp(argv[i], "--defaults")) {
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
  if (version) return printVersion(options.resourceDir);
  if (!serve && !scenarioPath) return usage();
  // Each save of one would destroy the other: refuse before anything is
  // read or served.
  if (options.defaultsFile && options.loginItemsFile &&
      sim::nameTheSameFile(*options.defaultsFile, *options.loginItemsFile)) {
    std::cerr << "vistrel-desktop: --defaults " << *options.defaultsFile << " and --login-items "
              << *options.loginItemsFile << " name the same file; each needs a file of its own\n";
    return 2;
  }
  // The scenario given as a file kept for the user would be moved aside as
  // damaged, or replaced, at the first save: refused as the pair above is.
  auto namesTheScenario = [&](const char* option, const std::optional<std::string>& file,
                              const char* what) {
    if (!file || !scenarioPath || !sim::nameTheSameFile(*file, scenarioPath)) return false;
    std::cerr << "vistrel-desktop: " << option << " " << *file << " names the scenario "
              << scenarioPath << "; the " << what << " need a file of their own\n";
    return true;
  };
  if (namesTheScenario("--defaults", options.defaultsFile, "defaults") ||
      namesTheScenario("--login-items", options.loginItemsFile, "login items"))
    return 2;
  if (serve)
    return sim::serve::serveDesktop(
        std::move(options), scenarioPath ? std::optional<std::string>(scenarioPath) : std::nullopt,
        port);

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
