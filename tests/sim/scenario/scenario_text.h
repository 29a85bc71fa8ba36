// A scenario given as text, for the scenario language's tests.
#pragma once

#include <sstream>
#include <string>

#include "sim/scenario/scenario.h"

namespace scenario_text {

inline sim::Scenario parse(const std::string& text) {
  std::istringstream in(text);
  return sim::parseScenario(in, "t.scn");
}

// The error message the text is refused with, or "no error".
inline std::string parseError(const std::string& text) {
  try {
    parse(text);
  } catch (const sim::ScenarioError& e) {
    return e.what();
  }
  return "no error";
}

}  // namespace scenario_text
