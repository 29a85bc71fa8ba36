// libFuzzer target: any bytes given as a scenario file are either rejected
// with FILE:LINE or parsed into commands that hold no control character
// (but tab), and whose printed text parses again to the same commands; each
// timed command's echo parses, as one live line, to the same action.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "sim/scenario/scenario.h"

namespace {

bool hasControl(const std::string& text, bool newlines) {
  for (char ch : text) {
    auto c = static_cast<unsigned char>(ch);
    if (c == '\t' || (newlines && c == '\n')) continue;
    if (c < 0x20 || c == 0x7F) return true;
  }
  return false;
}

sim::Scenario parseOrTrap(const std::string& text, const char* name) {
  std::istringstream in(text);
  try {
    return sim::parseScenario(in, name);
  } catch (const sim::ScenarioError&) {
    __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  sim::Scenario scenario;
  try {
    scenario = sim::parseScenario(in, "fuzz.scn");
  } catch (const sim::ScenarioError& e) {
    if (std::string(e.what()).rfind("fuzz.scn:", 0) != 0) __builtin_trap();
    return 0;
  }
  (void)scenario.endTime();
  std::string printed = sim::scenarioText(scenario);
  if (hasControl(printed, true)) __builtin_trap();
  if (!(parseOrTrap(printed, "printed.scn") == scenario)) __builtin_trap();
  for (const auto& c : scenario.timed) {
    if (hasControl(c.echo(), false)) __builtin_trap();
    try {
      if (!(sim::parseTimedCommand(c.echo(), "echo").action == c.action)) __builtin_trap();
    } catch (const sim::ScenarioError&) {
      __builtin_trap();
    }
  }
  return 0;
}
