// libFuzzer target: any bytes given as a scenario file are either rejected
// with FILE:LINE or parsed; nothing else may happen.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "sim/scenario.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  try {
    auto scenario = sim::parseScenario(in, "fuzz.scn");
    (void)scenario.endTime();
  } catch (const sim::ScenarioError& e) {
    if (std::string(e.what()).rfind("fuzz.scn:", 0) != 0) __builtin_trap();
  }
  return 0;
}
