// When the hover engine hit-tests: a point whose owner did not answer is
// skipped and probed every kProbeInterval seconds until the pointer moves
// or the owner answers.
#include "hover/hit_test_backoff.h"

#include <gtest/gtest.h>

namespace {

using Ask = hover::HitTestBackoff::Ask;
constexpr platform::Point kHung{700, 300};
constexpr double kAsked = 10.0;

// A back-off that began with a hit test at kHung, asked at kAsked.
hover::HitTestBackoff silentAtHungPoint() {
  hover::HitTestBackoff b;
  EXPECT_EQ(b.before(kHung, kAsked), Ask::Normal);
  b.after(kHung, kAsked, platform::kAXErrorCannotComplete);
  return b;
}

TEST(HitTestBackoff, OnlyAnOwnerThatDidNotAnswerStartsIt) {
  const platform::AXError others[] = {platform::kAXErrorSuccess, platform::kAXErrorFailure,
                                      platform::kAXErrorAPIDisabled, platform::kAXErrorNoValue};
  for (platform::AXError code : others) {
    hover::HitTestBackoff b;
    b.after(kHung, kAsked, code);
    EXPECT_FALSE(b.backingOff()) << code;
    EXPECT_EQ(b.before(kHung, kAsked + 0.5), Ask::Normal) << code;
  }
  EXPECT_TRUE(silentAtHungPoint().backingOff());
}

TEST(HitTestBackoff, ProbesOnlyOnceTheIntervalHasPassed) {
  auto b = silentAtHungPoint();
  EXPECT_EQ(b.before(kHung, kAsked + 0.5), Ask::Skip);
  EXPECT_EQ(b.before(kHung, kAsked + hover::kProbeInterval - 0.001), Ask::Skip);
  EXPECT_EQ(b.before(kHung, kAsked + hover::kProbeInterval), Ask::Probe);
  // A probe that finds the owner still silent starts the interval again.
  b.after(kHung, kAsked + hover::kProbeInterval, platform::kAXErrorCannotComplete);
  EXPECT_EQ(b.before(kHung, kAsked + hover::kProbeInterval + 0.5), Ask::Skip);
  EXPECT_EQ(b.before(kHung, kAsked + 2 * hover::kProbeInterval), Ask::Probe);
}

TEST(HitTestBackoff, AnAnswerOrAMovedPointerEndsIt) {
  auto answered = silentAtHungPoint();
  answered.after(kHung, kAsked + hover::kProbeInterval, platform::kAXErrorSuccess);
  EXPECT_FALSE(answered.backingOff());
  EXPECT_EQ(answered.before(kHung, kAsked + hover::kProbeInterval + 0.5), Ask::Normal);

  // Moved by the smallest step, then back: the old point is forgotten.
  auto moved = silentAtHungPoint();
  EXPECT_EQ(moved.before({kHung.x + 0.5, kHung.y}, kAsked + 0.5), Ask::Normal);
  EXPECT_FALSE(moved.backingOff());
  EXPECT_EQ(moved.before(kHung, kAsked + 1.0), Ask::Normal);
}

TEST(HitTestBackoff, WaitsAtMostATenthOfAMinuteAtAHungPoint) {
  // Ticks every 0.5 s for 60 s at a point whose owner never answers: the
  // first hit test waits the default 0.5 s, each probe 0.1 s.
  hover::HitTestBackoff b;
  double waited = 0;
  for (int tick = 0; tick < 120; ++tick) {
    const double now = 0.5 * tick;
    Ask ask = b.before(kHung, now);
    if (ask == Ask::Skip) continue;
    waited += ask == Ask::Probe ? 0.1 : 0.5;
    b.after(kHung, now, platform::kAXErrorCannotComplete);
  }
  EXPECT_LE(waited, 6.0);
  EXPECT_NEAR(waited, 0.5 + 29 * 0.1, 1e-9);
}

}  // namespace
