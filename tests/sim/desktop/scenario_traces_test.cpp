// Whole-behaviour tests: every tests/scenarios/NAME.scn runs on the simulated
// desktop and its trace must equal NAME.trace line for line. Set
// VISTREL_UPDATE_TRACES=1 to write the traces anew (then read the diff).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/entry.h"
#include "sim/desktop/desktop.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> scenarioNames() {
  std::vector<std::string> names;
  for (const auto& dir : {"tests/scenarios", "examples"}) {
    for (const auto& entry : fs::directory_iterator(fs::path(VISTREL_SOURCE_DIR) / dir))
      if (entry.path().extension() == ".scn")
        names.push_back(fs::relative(entry.path(), VISTREL_SOURCE_DIR).replace_extension());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string readFile(const fs::path& p) {
  std::ifstream in(p);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class ScenarioTrace : public testing::TestWithParam<std::string> {};

TEST_P(ScenarioTrace, MatchesExpectedTrace) {
  fs::path base = fs::path(VISTREL_SOURCE_DIR) / GetParam();
  fs::path scn = base, expected = base;
  scn += ".scn";
  expected += ".trace";
  auto scenario = sim::loadScenario(scn.string());
  std::ostringstream out;
  sim::Desktop desktop(std::move(scenario), out, {agentMain, VISTREL_RESOURCE_DIR, {}, {}});
  EXPECT_EQ(desktop.run(), 0);
  if (std::getenv("VISTREL_UPDATE_TRACES")) {
    std::ofstream(expected) << out.str();
    return;
  }
  ASSERT_TRUE(fs::exists(expected)) << "no expected trace " << expected;
  EXPECT_EQ(out.str(), readFile(expected)) << "scenario " << scn;
}

INSTANTIATE_TEST_SUITE_P(All, ScenarioTrace, testing::ValuesIn(scenarioNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           std::string name;
                           for (char c : info.param)
                             name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

}  // namespace
