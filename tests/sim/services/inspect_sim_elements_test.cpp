// The simulated elements answer what the inspect report asks of them:
// counts that agree with the children, the one writable attribute, and
// failures where the Dock cannot deliver.
#include <gtest/gtest.h>

#include <sstream>

#include "sim/services/sim_accessibility.h"
#include "tests/sim/services/ax_on_a_world.h"

namespace {

using platform::Ref;

class SimElements : public testing::Test, protected sim_ax_test::AxOnAWorld {
 protected:
  SimElements() {
    world.startDock();
    world.startProcess("Finder", "com.apple.finder", std::nullopt);
    for (const char* title : {"Finder", "Mail", "Notes"})
      world.dock.items.push_back({title, "AXApplicationDockItem", std::nullopt, std::nullopt});
  }

  Ref<platform::UIElement> dockApplication() { return ax.createApplication(world.dock.pid); }
  Ref<platform::UIElement> desktop() { return ax.elementAt({10, 10}); }
  long count(const platform::UIElement* e, const std::string& attribute,
             platform::AXError expected = platform::kAXErrorSuccess) {
    long n = -1;
    EXPECT_EQ(ax.getAttributeValueCount(e, attribute, &n), expected) << attribute;
    return n;
  }
  std::size_t childrenFetched(const platform::UIElement* e) {
    Ref<platform::Object> value;
    EXPECT_EQ(ax.copyAttributeValue(e, "AXChildren", &value), platform::kAXErrorSuccess);
    return platform::as<platform::Array>(value.get())->count();
  }
};

TEST_F(SimElements, ChildCountsAgreeWithTheChildren) {
  auto app = dockApplication();
  EXPECT_EQ(count(app.get(), "AXChildren"), 1);
  world.startMissionControl();
  world.dock.extraChildren.push_back({});
  EXPECT_EQ(count(app.get(), "AXChildren"), 3);
  EXPECT_EQ(childrenFetched(app.get()), 3u);

  Ref<platform::Object> children;
  ax.copyAttributeValue(app.get(), "AXChildren", &children);
  auto* dockList =
      platform::as<platform::UIElement>(platform::as<platform::Array>(children.get())->at(0));
  EXPECT_EQ(count(dockList, "AXChildren"), 3);
  EXPECT_EQ(childrenFetched(dockList), 3u);

  auto finder = ax.createApplication(world.processWithBundleID("com.apple.finder")->pid);
  EXPECT_EQ(count(finder.get(), "AXChildren"), 1);
  EXPECT_EQ(count(desktop().get(), "AXChildren"), 0);
}

TEST_F(SimElements, CountsFailWhereValuesDo) {
  world.dock.childrenUnreadable = true;
  count(dockApplication().get(), "AXChildren", platform::kAXErrorCannotComplete);
  count(desktop().get(), "AXRows", platform::kAXErrorAttributeUnsupported);
  count(desktop().get(), "AXRole", platform::kAXErrorIllegalArgument);  // not an array
  world.trusted = false;
  count(desktop().get(), "AXChildren", platform::kAXErrorAPIDisabled);
}

TEST_F(SimElements, OnlyTheDesktopsFocusCanBeWritten) {
  auto group = desktop();
  auto item = ax.elementAt(world.itemCarbonFrame(1).origin);
  bool settable = true;
  EXPECT_EQ(ax.isAttributeSettable(item.get(), "AXPosition", &settable), platform::kAXErrorSuccess);
  EXPECT_FALSE(settable);
  EXPECT_EQ(ax.isAttributeSettable(item.get(), "AXFocused", &settable),
            platform::kAXErrorAttributeUnsupported);
  EXPECT_EQ(ax.isAttributeSettable(group.get(), "AXFocused", &settable), platform::kAXErrorSuccess);
  EXPECT_TRUE(settable);

  EXPECT_EQ(ax.setAttributeValue(item.get(), "AXSelected", platform::Boolean(true)),
            platform::kAXErrorAttributeUnsupported);
  EXPECT_EQ(ax.setAttributeValue(group.get(), "AXFocused", platform::String("yes")),
            platform::kAXErrorIllegalArgument);
  EXPECT_EQ(ax.setAttributeValue(group.get(), "AXFocused", platform::Boolean(true)),
            platform::kAXErrorSuccess);
  Ref<platform::Object> focused;
  ASSERT_EQ(ax.copyAttributeValue(group.get(), "AXFocused", &focused), platform::kAXErrorSuccess);
  EXPECT_TRUE(platform::as<platform::Boolean>(focused.get())->value());
}

TEST_F(SimElements, HandlesDescribeWhatTheyPointAt) {
  // Traces print these while the agent is not trusted: no addresses.
  auto item = ax.elementAt(world.itemCarbonFrame(2).origin);
  EXPECT_EQ(item->description(),
            "<AXUIElement DockItem 3> {pid=" + std::to_string(world.dock.pid) + "}");
  EXPECT_EQ(desktop()->description(),
            "<AXUIElement Desktop> {pid=" + std::to_string(world.dock.pid + 1) + "}");
}

}  // namespace
