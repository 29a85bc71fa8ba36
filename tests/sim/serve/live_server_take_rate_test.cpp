// The rate an answer is taken at, over its window, on times the test gives.
#include <gtest/gtest.h>

#include "sim/serve/take_rate.h"

namespace {

using sim::serve::TakeRate;
using namespace std::chrono_literals;

TEST(TakeRate, AReaderInBurstsIsJudgedByItsPaceOverTheWindow) {
  TakeRate::Clock::time_point t0{};
  TakeRate rate(t0, 10'000ms);
  // 500 KB a second, taken as 1 MB every two seconds, for twenty seconds.
  for (int s = 2; s <= 20; s += 2) rate.reached(s * 500'000, t0 + std::chrono::seconds(s));
  EXPECT_NEAR(rate.perSecond(t0 + 20s), 500'000, 1);
  // Just before a burst, after two seconds of nothing: still the pace.
  EXPECT_GT(rate.perSecond(t0 + 21900ms), 400'000);
  // A reader that stops falls below any floor once the window has passed.
  EXPECT_EQ(rate.perSecond(t0 + 31s), 0);
}

TEST(TakeRate, AnAnswerJustBegunCountsAtLeastTheGivenSpan) {
  TakeRate::Clock::time_point t0{};
  TakeRate rate(t0, 10'000ms);
  rate.reached(50'000, t0 + 10ms);
  EXPECT_NEAR(rate.perSecond(t0 + 10ms, 1000ms), 50'000, 1);
  EXPECT_NEAR(rate.perSecond(t0 + 2000ms), 25'000, 1);
}

}  // namespace
