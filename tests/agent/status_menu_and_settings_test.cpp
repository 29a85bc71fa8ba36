// The status item's make-up and the settings window's interface file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/app_delegate.h"
#include "app/entry.h"
#include "permission/settings_controller.h"
#include "sim/desktop/desktop.h"

namespace fs = std::filesystem;

namespace {

std::unique_ptr<sim::Desktop> launchAgent(std::ostream& trace, const std::string& resources,
                                          const std::string& setup = "") {
  std::istringstream in(setup + "run 10\n");
  auto desktop = std::make_unique<sim::Desktop>(sim::parseScenario(in, "test.scn"), trace,
                                                sim::DesktopOptions{agentMain, resources, {}, {}});
  desktop->begin();
  return desktop;
}

AppDelegate& delegateOf(sim::Desktop& d) {
  return *dynamic_cast<AppDelegate*>(d.session()->simApplication().delegate());
}

TEST(StatusMenu, ItemAndEntriesAreBuiltOnceAsSpecified) {
  std::ostringstream trace;
  auto desktop = launchAgent(trace, VISTREL_RESOURCE_DIR);
  AppDelegate& delegate = delegateOf(*desktop);
  auto item = delegate.statusItem();
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->length(), -1.0);
  ASSERT_NE(item->image(), nullptr);
  EXPECT_EQ(item->image()->name(), "Status_Icon");
  EXPECT_TRUE(item->image()->isTemplate());
  EXPECT_TRUE(item->highlightMode());
  auto menu = item->menu();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->title(), "");
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"About", "showAboutPanel"},
      {"", ""},
      {"Preferences...", "showPrefsPanel:"},
      {"", ""},
      {"Check for Updates...", "checkUpates:"},
      {"", ""},
      {"Send Feedback/Support", "sendFeedback"},
      {"", ""},
      {"\xF0\x9F\x97\x82\xEF\xB8\x8F More Apps...", "moreApps:"},
      {"", ""},
      {"Quit", "terminate:"}};
  ASSERT_EQ(menu->items().size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const auto& entry = *menu->items()[i];
    SCOPED_TRACE(i + 1);
    EXPECT_EQ(entry.isSeparatorItem(), expected[i].first.empty());
    EXPECT_EQ(entry.title(), expected[i].first);
    EXPECT_EQ(entry.action(), expected[i].second);
    EXPECT_EQ(entry.keyEquivalent(), "");
    // Only the update and feedback entries name their target.
    bool targeted = i == 4 || i == 6;
    EXPECT_EQ(entry.target(), targeted ? &delegate : nullptr);
  }

  delegate.setupStatusMenu();
  EXPECT_EQ(delegate.statusItem(), item);
  EXPECT_EQ(item->menu(), menu);
  EXPECT_EQ(desktop->session()->simAppKit().statusItems().size(), 1u);
}

TEST(StatusMenu, PreferencesReuseOneControllerAfterClose) {
  std::ostringstream trace;
  auto desktop = launchAgent(trace, VISTREL_RESOURCE_DIR);
  AppDelegate& delegate = delegateOf(*desktop);
  auto first = delegate.settingsWC();
  ASSERT_NE(first, nullptr);  // first launch shows the window
  auto window = first->window();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->level(), platform::kStatusWindowLevel);
  window->close();
  EXPECT_FALSE(window->isVisible());
  delegate.showPrefsPanel(nullptr);
  EXPECT_EQ(delegate.settingsWC(), first);
  EXPECT_EQ(first->window(), window);
  EXPECT_TRUE(window->isVisible());
}

class SettingsInterface : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("vistrel-ui-" +
            std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::create_directories(dir_);
    // Every resource file but the settings interface, which each test
    // writes (the live page's folder is not needed).
    for (const auto& entry : fs::directory_iterator(VISTREL_RESOURCE_DIR))
      if (entry.is_regular_file())
        fs::copy_file(entry.path(), dir_ / entry.path().filename(),
                      fs::copy_options::overwrite_existing);
  }
  void TearDown() override { fs::remove_all(dir_); }
  // Launches with this settings interface; what the loader said on stderr.
  std::string launchWith(const std::string& settingsUi) {
    std::ofstream(dir_ / "SettingsController.ui") << settingsUi;
    testing::internal::CaptureStderr();
    desktop_ = launchAgent(trace_, dir_.string(), "trusted no\n");
    return testing::internal::GetCapturedStderr();
  }
  fs::path dir_;
  std::ostringstream trace_;
  std::unique_ptr<sim::Desktop> desktop_;
};

TEST_F(SettingsInterface, FaultsAreReportedWithFileAndLineAndNoWindowShows) {
  const std::pair<const char*, const char*> cases[] = {
      {"window 0 0 480 320\nbutton Request\n", ":2: expected a title in double quotes"},
      {"window 0 0 480\n", ":1: expected: window X Y W H"},
      {"window 0 0 480 320\nobject NoSuchClass thing\n", ":2: unknown class NoSuchClass"},
      {"window 0 0 480 320\nimageview outlet statusLight\n",
       ":2: the owner has no outlet statusLight"},
      {"button \"Request Access\"\n", ":1: controls come after the window"},
      {"window 0 0 480 320\ncheckbox \"x\" bind nobody key\n",
       ":2: no object nobody is declared above"},
      {"window 0 0 480 320\nwindow 0 0 10 10\n", ":2: a second window"},
      {"# empty\n", ":0: no window is declared"},
  };
  for (const auto& [ui, message] : cases) {
    SCOPED_TRACE(ui);
    trace_.str("");
    std::string err = launchWith(ui);
    EXPECT_NE(err.find((dir_ / "SettingsController.ui").string() + message), std::string::npos)
        << err;
    EXPECT_EQ(trace_.str().find("window.show"), std::string::npos);
    // The agent still runs: its status menu is there.
    EXPECT_NE(delegateOf(*desktop_).statusItem(), nullptr);
  }
}

TEST_F(SettingsInterface, UnconnectedOutletsLeaveTheDisplayAlone) {
  std::string err =
      launchWith("window 0 0 480 320\nbutton \"Request Access\" action accessibility:\n");
  EXPECT_EQ(err, "");
  EXPECT_NE(trace_.str().find("window.show \"SettingsController\" 0 0 480 320"), std::string::npos);
  EXPECT_EQ(trace_.str().find("control."), std::string::npos);
}

}  // namespace
