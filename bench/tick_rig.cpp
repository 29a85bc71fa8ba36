#include "tick_rig.h"

#include <sstream>

#include "app/entry.h"

namespace bench {

namespace {

sim::Scenario scenarioFrom(const std::string& setup) {
  // A returning user with the permission: no settings window, whose refresh
  // timer would add work of its own to every second.
  std::istringstream in("trusted yes\ndefaults isFirstStartPassed bool true\n" + setup);
  return sim::parseScenario(in, "bench");
}

}  // namespace

TickRig::TickRig(const std::string& setup)
    : desktop_(scenarioFrom(setup), out_, {agentMain, VISTREL_RESOURCE_DIR, {}, {}}) {
  desktop_.begin();
}

void TickRig::tick() {
  now_ += kTick;
  desktop_.advanceTo(now_);
}

}  // namespace bench
