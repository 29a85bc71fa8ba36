// Calls addressed to a slow or hung process wait for its answer up to the
// caller's messaging timeout: at both sides of the Dock's lateness, with the
// agent's default and an element's own timeout, and a slow Dock that still
// does what it was asked after the caller gave up.
#include <gtest/gtest.h>

#include <sstream>

#include "sim/services/sim_accessibility.h"
#include "tests/sim/services/ax_on_a_world.h"

namespace {

using platform::Ref;
using sim::Nanos;

constexpr Nanos kMilli = 1'000'000;

class MessagingTimeout : public testing::Test, protected sim_ax_test::AxOnAWorld {
 protected:
  MessagingTimeout() {
    world.startDock();
    world.startProcess("Finder", "com.apple.finder", std::nullopt);
    safari = world.startProcess("Safari", "com.apple.Safari", std::nullopt);
    sim::DockItem item{"Safari", "AXApplicationDockItem", "com.apple.Safari", std::nullopt};
    world.dock.items.push_back(item);
    ctx.owner = 1;
  }
  platform::AXError hitTest(platform::Point carbon, Ref<platform::UIElement>* found) {
    return ax.copyElementAtPosition(systemWide.get(), static_cast<float>(carbon.x),
                                    static_cast<float>(carbon.y), found);
  }
  platform::Point safariItem() {
    auto f = world.itemCarbonFrame(0);
    return {f.minX() + 32, f.minY() + 32};
  }
  void setDockSlowness(Nanos late) { world.dock.slowness = late; }

  Ref<platform::UIElement> systemWide = ax.createSystemWide();
  pid_t safari = 0;
};

TEST_F(MessagingTimeout, ATimeoutAsLongAsTheDocksLatenessGetsTheAnswer) {
  setDockSlowness(400 * kMilli);
  ASSERT_EQ(ax.setMessagingTimeout(systemWide.get(), 0.4f), platform::kAXErrorSuccess);
  Ref<platform::UIElement> found;
  EXPECT_EQ(hitTest(safariItem(), &found), platform::kAXErrorSuccess);
  EXPECT_EQ(queue.now(), 400 * kMilli);  // when the Dock answered
  EXPECT_EQ(ax.traceLabel(found.get()), "\"Safari\"");
  EXPECT_NE(out.str().find("ax.wait \"Dock\" 0.400 0\n"), std::string::npos) << out.str();
}

TEST_F(MessagingTimeout, AShorterOneFailsWhenItEnds) {
  setDockSlowness(400 * kMilli);
  ax.setMessagingTimeout(systemWide.get(), 0.399f);
  Ref<platform::UIElement> found;
  EXPECT_EQ(hitTest(safariItem(), &found), platform::kAXErrorCannotComplete);
  EXPECT_EQ(queue.now(), sim::toNanos(static_cast<double>(0.399f)));
  EXPECT_FALSE(found);
  EXPECT_NE(out.str().find("ax.wait \"Dock\" 0.399 -25204\n"), std::string::npos) << out.str();
}

TEST_F(MessagingTimeout, ADockThatAnswersLateStillActs) {
  Ref<platform::UIElement> item;
  ASSERT_EQ(hitTest(safariItem(), &item), platform::kAXErrorSuccess);  // not slow yet
  setDockSlowness(400 * kMilli);
  // The element's own timeout, shorter than the agent's default.
  ax.setMessagingTimeout(item.get(), 0.25f);
  EXPECT_EQ(ax.performAction(item.get(), "AXShowExpose"), platform::kAXErrorCannotComplete);
  EXPECT_EQ(queue.now(), 250 * kMilli);
  EXPECT_FALSE(world.dock.expose);
  while (queue.runOne(kMilli * 1000)) {
  }
  EXPECT_EQ(world.dock.expose, std::optional<std::size_t>(0));
  EXPECT_NE(out.str().find("0.400 dock.appexpose \"Safari\"\n"), std::string::npos) << out.str();
  // 0 on the element goes back to the default (6 s): long enough.
  ax.setMessagingTimeout(item.get(), 0);
  EXPECT_EQ(ax.performAction(item.get(), "AXShowMenu"), platform::kAXErrorSuccess);
}

TEST_F(MessagingTimeout, AHungApplicationCostsTheWholeDefaultTimeout) {
  world.openWindow(safari, {{0, 0}, {400, 400}});
  world.mutableProcess(safari)->hung = true;
  Ref<platform::UIElement> found;
  EXPECT_EQ(hitTest({100, world.firstScreenTop() - 100}, &found), platform::kAXErrorCannotComplete);
  EXPECT_EQ(queue.now(), 6'000 * kMilli);
  // Set to 1 s on the system-wide element and back to the default with 0.
  ax.setMessagingTimeout(systemWide.get(), 1);
  hitTest({100, world.firstScreenTop() - 100}, &found);
  EXPECT_EQ(queue.now(), 7'000 * kMilli);
  ax.setMessagingTimeout(systemWide.get(), 0);
  hitTest({100, world.firstScreenTop() - 100}, &found);
  EXPECT_EQ(queue.now(), 13'000 * kMilli);
  // Where the window is not, the desktop answers (Finder) at once.
  EXPECT_EQ(hitTest({1000, 100}, &found), platform::kAXErrorSuccess);
  EXPECT_EQ(queue.now(), 13'000 * kMilli);
  EXPECT_EQ(ax.setMessagingTimeout(systemWide.get(), -1), platform::kAXErrorIllegalArgument);
  EXPECT_EQ(ax.setMessagingTimeout(nullptr, 1), platform::kAXErrorIllegalArgument);
}

}  // namespace
