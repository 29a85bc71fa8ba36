// The check of the set-up: the decisions taken from what the platform says.
#include "permission/setup_check.h"

#include <gtest/gtest.h>

#include "permission/settings_controller.h"

namespace {

using platform::SetupItem;

TEST(SetupCheck, TickTimesKeepTheLatestIntervalsOldestFirst) {
  setup::TickTimes ticks;
  EXPECT_TRUE(ticks.intervals().empty());
  ticks.record(1.0);
  EXPECT_TRUE(ticks.intervals().empty());  // one tick is no interval
  ticks.record(1.5);
  EXPECT_EQ(ticks.intervals(), (std::vector<double>{0.5}));
  // Past the ring's size only the latest kTicksKept times count.
  for (int i = 2; i < 20; ++i) ticks.record(1.0 + 0.5 * i + (i == 19 ? 1.5 : 0));
  auto intervals = ticks.intervals();
  ASSERT_EQ(intervals.size(), setup::kTicksKept - 1);
  EXPECT_EQ(intervals.front(), 0.5);
  EXPECT_EQ(intervals.back(), 2.0);
}

TEST(SetupCheck, AnIntervalThatSpansAPauseIsLeftOut) {
  setup::TickTimes ticks;
  ticks.record(1.0);
  ticks.record(1.5);
  // A menu held from 1.75 s to 9.25 s: told when it begins and again when it
  // ends, just before the tick due at 2.0 s fires at 9.25 s. Only the one
  // interval that spans it is lost.
  ticks.pause();
  ticks.pause();
  ticks.record(9.25);
  ticks.record(9.5);
  EXPECT_EQ(ticks.intervals(), (std::vector<double>{0.5, 0.25}));
  // Asleep before the engine ticked at all: the first tick still starts.
  setup::TickTimes fresh;
  fresh.pause();
  fresh.record(4.0);
  fresh.record(4.5);
  EXPECT_EQ(fresh.intervals(), (std::vector<double>{0.5}));
}

TEST(SetupCheck, FindingsOnBothSidesOfTheirThresholds) {
  struct Want {
    SetupItem item;
    bool passed;
    std::string detail;
  };
  struct Case {
    platform::SetupFinding got;
    Want want;
  };
  const Case cases[] = {
      {setup::timerFinding({}), {SetupItem::Timer, false, "not running"}},
      {setup::timerFinding({0.5, 0.75}), {SetupItem::Timer, true, "up to 0.750 s"}},
      {setup::timerFinding({0.5, 0.751, 0.5}), {SetupItem::Timer, false, "up to 0.751 s"}},
      {setup::loginFinding(false, false), {SetupItem::LoginItem, true, "off"}},
      {setup::loginFinding(true, false), {SetupItem::LoginItem, true, "on"}},
      {setup::loginFinding(false, true), {SetupItem::LoginItem, false, "waiting for approval"}},
      {setup::accessibilityFinding(0, true), {SetupItem::Accessibility, true, "answers"}},
      {setup::accessibilityFinding(platform::kAXErrorAPIDisabled, true),
       {SetupItem::Accessibility, false, "stale"}},
      {setup::accessibilityFinding(platform::kAXErrorAPIDisabled, false),
       {SetupItem::Accessibility, false, "refused"}},
      {setup::accessibilityFinding(platform::kAXErrorCannotComplete, true),
       {SetupItem::Accessibility, false, "error -25204"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.want.detail);
    EXPECT_EQ(c.got.item, c.want.item);
    EXPECT_EQ(c.got.passed, c.want.passed);
    EXPECT_EQ(c.got.detail, c.want.detail);
  }
}

TEST(SetupCheck, AdviceGoesWithFailuresOnly) {
  auto untrusted = setup::trustedFinding(false);
  auto advice = setup::adviceFor(untrusted);
  // A stale entry of an earlier build shows on, yet only removing it helps.
  EXPECT_NE(advice.find("remove it with − and add it again"), std::string::npos);
  EXPECT_EQ(advice.back(), '.');
  EXPECT_EQ(setup::findingText(untrusted), "✗ Not trusted for Accessibility\n    " + advice);
  EXPECT_EQ(setup::adviceFor(setup::trustedFinding(true)), "");
}

TEST(SetupCheck, AFailureSaysWhatToDoOnALineOfItsOwn) {
  auto stale = setup::findingText({SetupItem::Accessibility, false, "stale", ""});
  EXPECT_EQ(stale.rfind("✗ ", 0), 0u);
  auto todo = stale.substr(stale.find('\n') + 1);
  EXPECT_NE(todo.find("add it again"), std::string::npos);
  auto pass = setup::findingText({SetupItem::ShowExpose, true, "3 of 3", ""});
  EXPECT_EQ(pass, "✓ 3 of 3 running applications' Dock items offer App Exposé");
}

TEST(SetupCheck, TheWindowGrowsDownwardsKeepingItsTopOnItsScreen) {
  const platform::Rect screen{{0, 0}, {1440, 900}};
  const double grown = 320 + 3 * kSetupLineHeight + kSetupTextPadding;
  struct Case {
    platform::Rect current;
    std::size_t lines;
    platform::Rect want;
  };
  const Case cases[] = {
      {{{480, 290}, {480, 320}}, 3, {{480, 610 - grown}, {480, grown}}},
      // Moved to the bottom of the screen: it grows upwards instead.
      {{{960, 0}, {480, 320}}, 3, {{960, 0}, {480, grown}}},
      // Back to its own height when the text goes.
      {{{480, 200}, {480, grown}}, 0, {{480, 200 + grown - 320}, {480, 320}}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(frameForSetupText(c.current, 320, c.lines, screen), c.want) << c.lines;
  // On no screen only the top edge counts.
  EXPECT_EQ(frameForSetupText({{0, -50}, {480, 320}}, 320, 3, std::nullopt).maxY(), 270);
}

}  // namespace
