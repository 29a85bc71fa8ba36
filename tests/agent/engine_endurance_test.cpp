// A long run of the tracking loop keeps no platform objects beyond a small,
// fixed set: whatever a tick creates, it releases.
#include <gtest/gtest.h>

#include <ostream>

#include "tests/agent_on_desktop.h"

namespace {

TEST(EngineEndurance, HundredThousandTicksLeakNothing) {
  std::ostream discard(nullptr);
  // First start passed: no settings window, whose refresh timer would run too.
  AgentOnDesktop agent(
      "defaults ActivateStackOnHover bool true\ndefaults isFirstStartPassed bool true\n", &discard);
  auto& world = agent.world();
  // Eight stops a cycle, five ticks at each: every Dock item, the desktop,
  // and Safari again at another point, so requests are scheduled and run,
  // stacks open and previews are dismissed; the resting ticks are the
  // engine's common case.
  std::vector<platform::Point> stops;
  for (std::size_t i = 0; i < world.dock.items.size(); ++i)
    stops.push_back(world.itemCocoaCentre(i));
  stops.push_back({100, 500});
  stops.push_back({world.itemCocoaCentre(1).x + 7, world.itemCocoaCentre(1).y});
  ASSERT_EQ(stops.size(), 8u);

  const int ticks = 100000;     // 50,000 s of virtual time
  const int kTicksPerStop = 5;  // 1,000 and 100,000 both end a full cycle
  std::size_t objectsAt1000 = 0, elementsAt1000 = 0;
  for (int tick = 1; tick <= ticks; ++tick) {
    world.pointer = stops[static_cast<std::size_t>(tick / kTicksPerStop) % stops.size()];
    agent.desktop().advanceTo(sim::toNanos(0.5 * tick + 0.25));
    if (tick == 1000) {
      objectsAt1000 = platform::Object::liveCount();
      elementsAt1000 = platform::UIElement::liveCount();
    }
  }
  EXPECT_EQ(platform::Object::liveCount(), objectsAt1000);
  EXPECT_EQ(platform::UIElement::liveCount(), elementsAt1000);
  EXPECT_LT(platform::Object::liveCount(), 64u);
  EXPECT_LT(platform::UIElement::liveCount(), 8u);
  // The engine really worked all along.
  EXPECT_GT(world.axCalls, static_cast<std::uint64_t>(ticks) * 4);
}

// A tick at a pointer that has not moved costs one hit test and one role
// read: the hit test, the attribute names, the role. Without the permission
// the hit test and the name list fail, and the tick stops there.
TEST(EngineEndurance, TickAtRestCostsThreeAccessibilityCalls) {
  std::ostream discard(nullptr);
  AgentOnDesktop agent("defaults isFirstStartPassed bool true\n", &discard);
  auto& world = agent.world();
  auto callsForTickAt = [&](platform::Point where, double tickTime) {
    world.pointer = where;
    agent.desktop().advanceTo(sim::toNanos(tickTime - 0.25));  // evaluated once before
    std::uint64_t before = world.axCalls;
    agent.desktop().advanceTo(sim::toNanos(tickTime));
    return world.axCalls - before;
  };
  EXPECT_EQ(callsForTickAt({100, 500}, 2.0), 3u) << "at rest off the Dock";
  EXPECT_EQ(callsForTickAt(world.itemCocoaCentre(1), 4.0), 3u) << "at rest on Safari";
  world.trusted = false;
  EXPECT_EQ(callsForTickAt(world.itemCocoaCentre(2), 6.0), 2u) << "without the permission";
}

}  // namespace
