// AppDelegate's running-application lookups and Dock-state queries, called
// directly on an agent running on the simulated desktop.
#include <gtest/gtest.h>

#include "tests/agent_on_desktop.h"

namespace {

constexpr const char* kSafariURL = "file:///Applications/Safari.app/";

TEST(RunningApplicationLookups, FirstMatchInListOrder) {
  AgentOnDesktop agent("");
  auto& world = agent.world();
  pid_t safari = world.processWithBundleID("com.apple.Safari")->pid;
  world.startProcess("Safari copy", "com.apple.Safari", kSafariURL);

  auto dock = agent.delegate().appWithBundleID("com.apple.dock");
  ASSERT_TRUE(dock);
  EXPECT_EQ(dock->processIdentifier, world.dock.pid);
  EXPECT_EQ(agent.delegate().appWithBundleID("com.apple.Safari")->processIdentifier, safari);
  EXPECT_EQ(agent.delegate().getProcessIdentifierByURL(kSafariURL), safari);
  EXPECT_EQ(agent.delegate().getRunningApplicationByURL(kSafariURL)->processIdentifier, safari);
}

TEST(RunningApplicationLookups, UnknownOrMissingNeverMatches) {
  AgentOnDesktop agent("");
  agent.world().startProcess("Anonymous", std::nullopt, std::nullopt);
  auto& delegate = agent.delegate();
  EXPECT_FALSE(delegate.appWithBundleID("com.example.none"));
  EXPECT_FALSE(delegate.appWithBundleID(""));
  EXPECT_EQ(delegate.getProcessIdentifierByURL("file:///Applications/None.app/"), -1);
  EXPECT_EQ(delegate.getProcessIdentifierByURL(""), -1);
  EXPECT_FALSE(delegate.getRunningApplicationByURL(""));
  EXPECT_FALSE(delegate.getRunningApplicationByURL("file:///Applications/None.app/"));
}

TEST(DockState, NoDockMeansNothingShowsAndNothingIsLogged) {
  AgentOnDesktop agent("no dock\n");
  agent.newTrace();
  auto& delegate = agent.delegate();
  EXPECT_FALSE(delegate.isMissionControlVisible());
  EXPECT_FALSE(delegate.isAppExposVisible());
  delegate.hidePreview();
  EXPECT_EQ(agent.newTrace(), "");
}

TEST(DockState, UnreadableChildrenAreLoggedOncePerMissionControlCheck) {
  AgentOnDesktop agent("dock children unreadable\n");
  agent.world().startMissionControl();
  agent.newTrace();
  auto& delegate = agent.delegate();
  const std::string logLine = "0.000 log \"Error: cannot get Dock children UI elements\"\n";
  EXPECT_FALSE(delegate.isAppExposVisible());
  EXPECT_EQ(agent.newTrace(), "");
  EXPECT_FALSE(delegate.isMissionControlVisible());
  EXPECT_EQ(agent.newTrace(), logLine);
  delegate.hidePreview();  // one check of each kind, nothing posted
  EXPECT_EQ(agent.newTrace(), logLine);
}

TEST(DockState, MissionControlNeedsTheExactIdentifier) {
  AgentOnDesktop agent("dock child \"MC\"\ndock child \"mc \"\ndock child none\n");
  auto& delegate = agent.delegate();
  EXPECT_FALSE(delegate.isMissionControlVisible());
  agent.world().startMissionControl();
  EXPECT_TRUE(delegate.isMissionControlVisible());
  EXPECT_FALSE(delegate.isAppExposVisible());
  agent.newTrace();
  delegate.hidePreview();
  EXPECT_EQ(agent.newTrace(),
            "0.000 event.post keydown 53 \"Dock\"\n0.000 dock.dismiss missioncontrol\n");
}

TEST(ClickStackItem, OpenMenuCancelsEverythingAndPressesNothing) {
  AgentOnDesktop agent("");
  auto& world = agent.world();
  const std::size_t downloads = 4;
  world.pointer = world.itemCocoaCentre(downloads);
  world.openMenu(downloads);
  agent.newTrace();
  EXPECT_FALSE(agent.delegate().clickStackItem());
  EXPECT_EQ(agent.newTrace(),
            "0.000 perform.cancel showAppExpose 0\n0.000 perform.cancel clickStackItem 0\n"
            "0.000 perform.cancel all 0\n");
}

TEST(ClickStackItem, PressesOnlyStacks) {
  AgentOnDesktop agent(
      "dock app \"Mail\"\ndock app \"Safari\" running\ndock minimized \"Doc\"\n"
      "dock folder \"Downloads\"\n");
  auto& world = agent.world();
  auto& delegate = agent.delegate();
  agent.newTrace();
  for (std::size_t item : {0, 1, 2}) {
    world.pointer = world.itemCocoaCentre(item);
    EXPECT_FALSE(delegate.clickStackItem());
  }
  world.pointer = {1, 1};  // off the Dock: nothing, not even a cancel
  EXPECT_FALSE(delegate.clickStackItem());
  const std::string cancels =
      "0.000 perform.cancel showAppExpose 0\n0.000 perform.cancel clickStackItem 0\n";
  EXPECT_EQ(agent.newTrace(), cancels + cancels + cancels);

  world.pointer = world.itemCocoaCentre(3);
  EXPECT_FALSE(delegate.clickStackItem());
  EXPECT_EQ(agent.newTrace(), cancels +
                                  "0.000 ax.action AXPress \"Downloads\" 0\n"
                                  "0.000 dock.stack \"Downloads\"\n");
}

}  // namespace
