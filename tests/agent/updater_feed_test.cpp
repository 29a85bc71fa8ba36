// Which feed the updater reads, how it is configured at launch, and the
// manual check: through the agent on the simulated desktop.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "app/app_delegate.h"
#include "app/entry.h"
#include "sim/desktop/desktop.h"
#include "sim/services/sim_bundle.h"
#include "sim/services/sim_updater.h"
#include "tests/agent_on_desktop.h"

namespace {

constexpr const char* kStableFeed = "https://updates.vistrel.app/downloads/Vistrel.xml";
constexpr const char* kBetaFeed = "https://updates.vistrel.app/downloads/betas/Vistrel.xml";

TEST(URLWithString, AcceptsWellFormedURLsOnly) {
  EXPECT_EQ(platform::URLWithString(kBetaFeed), kBetaFeed);
  EXPECT_EQ(platform::URLWithString("feed.xml"), "feed.xml");  // relative, still a URL
  EXPECT_EQ(platform::URLWithString("https://h/a%20b?x=1#f"), "https://h/a%20b?x=1#f");
  EXPECT_EQ(platform::URLWithString(""), std::nullopt);
  EXPECT_EQ(platform::URLWithString("https://h/a b"), std::nullopt);
  EXPECT_EQ(platform::URLWithString("https://h/%2"), std::nullopt);
  EXPECT_EQ(platform::URLWithString("https://h/%zz"), std::nullopt);
  EXPECT_EQ(platform::URLWithString("1http://h/"), std::nullopt);
  EXPECT_EQ(platform::URLWithString("ht_tp://h/"), std::nullopt);
  EXPECT_EQ(platform::URLWithString("https://h/\xc3\xa9"), std::nullopt);
}

TEST(FileURLs, PathsAndURLsConvertBothWays) {
  EXPECT_EQ(platform::fileURLWithPath("/Applications/My App.app", true),
            "file:///Applications/My%20App.app/");
  EXPECT_EQ(platform::fileURLWithPath("/tmp/a%b", false), "file:///tmp/a%25b");
  EXPECT_EQ(sim::pathOfFileURL("file:///Applications/My%20App.app/"), "/Applications/My App.app");
  EXPECT_EQ(sim::pathOfFileURL("https://h/x"), "");
}

class UpdaterTest : public testing::Test {
 protected:
  void start(const std::string& setup = "") {
    agent = std::make_unique<AgentOnDesktop>(setup + "run 60\n", &out);
    desktop = &agent->desktop();
    desktop->advanceTo(sim::toNanos(1));
  }
  void TearDown() override {
    if (desktop) desktop->finish();
  }
  AppDelegate& delegate() { return agent->delegate(); }
  sim::SimUpdater& updater() {
    return dynamic_cast<sim::SimUpdater&>(desktop->session()->updater());
  }

  std::ostringstream out;
  std::unique_ptr<AgentOnDesktop> agent;
  sim::Desktop* desktop = nullptr;
};

TEST_F(UpdaterTest, StableFeedFromTheBundleAndNoIntervalWithoutBeta) {
  start();
  EXPECT_EQ(delegate().getFeedURL(), kStableFeed);
  EXPECT_EQ(updater().delegate(), &delegate());
  EXPECT_EQ(updater().feedURL(), kStableFeed);
  EXPECT_FALSE(updater().automaticallyChecksForUpdates());  // key absent reads false
  EXPECT_EQ(updater().backgroundChecks(), 1);               // and yet one check at launch
  EXPECT_EQ(updater().updateCheckInterval(), 86400);        // untouched
}

TEST_F(UpdaterTest, BetaFeedAndTwelveHourInterval) {
  start(
      "defaults SUUpdaterChecksForBetaUpdates bool true\n"
      "defaults ZRLEnableAutomaticChecks bool true\n"
      "no info SUFeedURL\n");
  EXPECT_EQ(updater().feedURL(), kBetaFeed);
  EXPECT_TRUE(updater().automaticallyChecksForUpdates());
  EXPECT_EQ(updater().backgroundChecks(), 1);
  EXPECT_EQ(updater().updateCheckInterval(), 43200);
}

TEST_F(UpdaterTest, AbsentOrMalformedStableFeedGivesNone) {
  start("no info SUFeedURL\n");
  EXPECT_EQ(delegate().getFeedURL(), std::nullopt);
  EXPECT_EQ(updater().feedURL(), std::nullopt);
  desktop->finish();

  out.str("");
  start("info SUFeedURL \"not a feed url\"\n");
  EXPECT_EQ(delegate().getFeedURL(), std::nullopt);
  desktop->finish();

  out.str("");
  start("no info SUFeedURL\ninfo SUFeedURL \"https://example.com/f.xml\"\n");  // last line wins
  EXPECT_EQ(delegate().getFeedURL(), "https://example.com/f.xml");
}

TEST_F(UpdaterTest, ManualCheckUsesTheBetaKeyAsItIsNow) {
  start();
  desktop->defaults().set("SUUpdaterChecksForBetaUpdates", true);
  delegate().checkUpates(nullptr);
  EXPECT_EQ(updater().feedURL(), kBetaFeed);
  EXPECT_EQ(updater().userChecks(), 1);
  EXPECT_EQ(updater().lastSender(), &delegate());     // the delegate, not the menu item
  EXPECT_EQ(updater().updateCheckInterval(), 86400);  // the interval is a launch-time affair

  desktop->defaults().set("SUUpdaterChecksForBetaUpdates", false);
  delegate().checkUpates(nullptr);
  EXPECT_EQ(updater().feedURL(), kStableFeed);
  EXPECT_EQ(updater().userChecks(), 2);

  std::string trace = out.str();
  auto activate = trace.rfind("app.activate");
  auto check = trace.rfind("updater.check user");
  ASSERT_NE(activate, std::string::npos);
  EXPECT_LT(activate, check);
}

}  // namespace
