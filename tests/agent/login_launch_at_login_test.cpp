// LaunchAtLoginController on the simulated desktop: the login-items list is
// its only state, and every change of it reaches observers of launchAtLogin.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <sstream>

#include "app/entry.h"
#include "shell/launch_at_login_controller.h"
#include "sim/desktop/desktop.h"
#include "tests/agent_on_desktop.h"

namespace {

constexpr const char* kAppURL = "file:///Applications/Vistrel.app/";

class LaunchAtLoginTest : public testing::Test {
 protected:
  void start(const std::string& setup = "") {
    agent = std::make_unique<AgentOnDesktop>(setup + "run 60\n", &out);
    desktop = &agent->desktop();
    desktop->advanceTo(sim::toNanos(1));
    controller = std::make_unique<LaunchAtLoginController>();
    platform::current().keyValueObserving().addObserver(
        controller.get(), "launchAtLogin", [this] { seen.push_back(controller->launchAtLogin()); });
  }
  void TearDown() override {
    if (controller) platform::current().keyValueObserving().removeObservers(controller.get());
    controller.reset();
    if (desktop) desktop->finish();
  }
  // Runs whatever the main run loop has due now.
  void settle() { desktop->advanceTo(desktop->queue().now()); }
  std::vector<std::string> items() { return desktop->loginItems().urls(); }
  sim::SessionContext& context() { return desktop->session()->context(); }

  std::ostringstream out;
  std::unique_ptr<AgentOnDesktop> agent;
  sim::Desktop* desktop = nullptr;
  std::unique_ptr<LaunchAtLoginController> controller;
  std::vector<bool> seen;  // launchAtLogin as each observer call read it
};

TEST_F(LaunchAtLoginTest, OnAndOffAreIdempotentAndAlwaysAnnounced) {
  start("login-item \"file:///Applications/Mail.app/\"\n");
  EXPECT_EQ(controller->appURL(), kAppURL);
  EXPECT_FALSE(controller->launchAtLogin());

  controller->setLaunchAtLogin(true);
  EXPECT_EQ(items(), (std::vector<std::string>{kAppURL, "file:///Applications/Mail.app/"}));
  EXPECT_EQ(seen, std::vector<bool>{true});  // the setter's own announcement
  settle();
  EXPECT_EQ(seen, (std::vector<bool>{true, true}));  // and the list's

  controller->setLaunchAtLogin(true);
  settle();
  EXPECT_EQ(items().size(), 2u);
  EXPECT_EQ(seen, (std::vector<bool>{true, true, true}));  // no change of the list: one call

  controller->setLaunchAtLogin(false);
  settle();
  controller->setLaunchAtLogin(false);
  settle();
  EXPECT_EQ(items(), std::vector<std::string>{"file:///Applications/Mail.app/"});
  EXPECT_EQ(seen, (std::vector<bool>{true, true, true, false, false, false}));

  std::string trace = out.str();
  EXPECT_NE(trace.find("loginitems.insert \"file:///Applications/Vistrel.app/\" first"),
            std::string::npos);
  EXPECT_NE(trace.find("loginitems.remove \"file:///Applications/Vistrel.app/\""),
            std::string::npos);
}

TEST_F(LaunchAtLoginTest, KeyValueCodingOfTheBoundKey) {
  start();
  platform::PrefValue value;
  ASSERT_TRUE(controller->setValueForKey("launchAtLogin", true));
  ASSERT_TRUE(controller->valueForKey("launchAtLogin", &value));
  EXPECT_EQ(value, platform::PrefValue(true));
  ASSERT_TRUE(controller->setValueForKey("launchAtLogin", std::int64_t{0}));
  ASSERT_TRUE(controller->valueForKey("launchAtLogin", &value));
  EXPECT_EQ(value, platform::PrefValue(false));
  EXPECT_FALSE(controller->valueForKey("launchAtlogin", &value));
  EXPECT_FALSE(controller->setValueForKey("other", true));
}

TEST_F(LaunchAtLoginTest, ChangesByAnotherProgramAreAnnounced) {
  start(std::string("login-item \"") + kAppURL + "\"\n");
  EXPECT_TRUE(controller->launchAtLogin());
  desktop->loginItems().removeURL(kAppURL);
  EXPECT_TRUE(seen.empty());  // announced from the run loop, not from inside the change
  settle();
  EXPECT_EQ(seen, std::vector<bool>{false});
  desktop->loginItems().insert(platform::LoginItemPosition::Last, kAppURL);
  settle();
  EXPECT_EQ(seen, (std::vector<bool>{false, true}));
}

TEST_F(LaunchAtLoginTest, ChangeDuringMenuTrackingIsAnnouncedAfterwards) {
  start();
  context().trackingMenu = true;
  desktop->loginItems().insert(platform::LoginItemPosition::Last, kAppURL);
  settle();
  EXPECT_TRUE(seen.empty());
  ASSERT_FALSE(context().waitingForDefaultMode.empty());  // ours, and the settings window's
  context().trackingMenu = false;
  auto waiting = std::move(context().waitingForDefaultMode);
  context().waitingForDefaultMode.clear();
  for (auto& work : waiting) work();
  EXPECT_EQ(seen, std::vector<bool>{true});
}

TEST_F(LaunchAtLoginTest, OnlyTheRunningBundleExactlyCounts) {
  start(
      "login-item \"file:///Users/me/Downloads/Vistrel.app/\"\n"
      "login-item \"file:///Applications/Vistrel.app\"\n"
      "login-item \"file:///Volumes/Backup/Vistrel.app/\"\n");
  EXPECT_FALSE(controller->launchAtLogin());
  controller->setLaunchAtLogin(false);  // removes none of the look-alikes
  EXPECT_EQ(items().size(), 3u);
  controller->setLaunchAtLogin(true);
  controller->setLaunchAtLogin(false);
  EXPECT_EQ(items(), (std::vector<std::string>{"file:///Users/me/Downloads/Vistrel.app/",
                                               "file:///Applications/Vistrel.app",
                                               "file:///Volumes/Backup/Vistrel.app/"}));
}

TEST_F(LaunchAtLoginTest, ItemsOnUnmountedVolumesResolveOnlyWhenMountingIsAllowed) {
  start("login-item \"file:///Volumes/Backup/Tool.app/\"\n");
  auto snapshot = controller->loginItems()->copySnapshot();
  ASSERT_EQ(snapshot.size(), 1u);
  EXPECT_EQ(snapshot[0]->copyResolvedURL(3), std::nullopt);
  EXPECT_EQ(snapshot[0]->copyResolvedURL(1), "file:///Volumes/Backup/Tool.app/");
  EXPECT_EQ(
      controller->findItemWithURL("file:///Volumes/Backup/Tool.app/", controller->loginItems()),
      nullptr);
  EXPECT_EQ(controller->findItemWithURL(kAppURL, nullptr), nullptr);
  EXPECT_EQ(controller->findItemWithURL("", controller->loginItems()), nullptr);
}

TEST_F(LaunchAtLoginTest, NoAnnouncementReachesAControllerThatIsGone) {
  start();
  controller->setLaunchAtLogin(true);  // the list's announcement is now due
  platform::current().keyValueObserving().removeObservers(controller.get());
  controller.reset();
  settle();  // must not call into the destroyed controller
  EXPECT_EQ(items(), std::vector<std::string>{kAppURL});
}

// The list service itself: observers by their exact values, per mode.
int gCalls = 0;
void countCall(platform::LoginItemList*, void*) { ++gCalls; }

TEST_F(LaunchAtLoginTest, ObserversAreRemovedByTheirExactValues) {
  start();
  auto list = platform::current().loginItems().createSessionLoginItems();
  ASSERT_TRUE(list);
  int token = 0;
  gCalls = 0;
  list->addObserver(platform::RunLoopMode::Default, countCall, &token);
  list->addObserver(platform::RunLoopMode::Common, countCall, &token);
  list->removeObserver(platform::RunLoopMode::Default, countCall, nullptr);  // not the same
  context().trackingMenu = true;
  list->insertItemURL(platform::LoginItemPosition::BeforeFirst, kAppURL);
  settle();
  EXPECT_EQ(gCalls, 1);  // the common-modes observer runs while the menu is tracked
  list->removeObserver(platform::RunLoopMode::Default, countCall, &token);
  context().trackingMenu = false;
  for (auto& work : context().waitingForDefaultMode) work();  // removed meanwhile: dropped
  context().waitingForDefaultMode.clear();
  EXPECT_EQ(gCalls, 1);
  list->removeObserver(platform::RunLoopMode::Common, countCall, &token);
}

}  // namespace

namespace {

// With a login-items file, the list is read at set-up, written after every
// change, and found again by the next run; scenario items come after it.
TEST(LoginItemsFileOption, TheListOutlivesTheRun) {
  auto path = std::filesystem::temp_directory_path() /
              ("vistrel-login-option-" + std::to_string(::getpid()));
  std::filesystem::remove(path);
  auto run = [&](const std::string& text) {
    std::istringstream in(text);
    std::ostringstream out;
    sim::Desktop desktop(sim::parseScenario(in, "test.scn"), out,
                         {agentMain, VISTREL_RESOURCE_DIR, std::nullopt, path.string()});
    desktop.run();
    return desktop.loginItems().urls();
  };
  run("at 1 login-items add \"file:///Applications/Mail.app/\"\n");
  EXPECT_EQ(run("login-item \"file:///Applications/Notes.app/\"\nrun 1\n"),
            (std::vector<std::string>{"file:///Applications/Mail.app/",
                                      "file:///Applications/Notes.app/"}));
  std::filesystem::remove(path);
}

}  // namespace
