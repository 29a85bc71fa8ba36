// The stored delay comes from outside the agent; the engine uses a bounded
// one. Scenarios cover what a user can store; these are the values no
// scenario can write as a float (NaN, infinities, -0) and the edges.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/preferences.h"

namespace {

using prefs::boundedDelay;
using prefs::kDefaultDelay;
using prefs::kMaxDelay;
using Limits = std::numeric_limits<float>;

TEST(BoundedDelay, DelaysWithinTheRangePassUnchanged) {
  for (float d : {0.0f, Limits::denorm_min(), kDefaultDelay, 1.8f, kMaxDelay})
    EXPECT_EQ(boundedDelay(d), d) << d;
}

TEST(BoundedDelay, NotANumberTakesTheDefault) {
  EXPECT_EQ(boundedDelay(Limits::quiet_NaN()), kDefaultDelay);
  EXPECT_EQ(boundedDelay(-Limits::quiet_NaN()), kDefaultDelay);
  EXPECT_EQ(boundedDelay(Limits::signaling_NaN()), kDefaultDelay);
}

TEST(BoundedDelay, NegativeDelaysMeanNone) {
  for (float d : {-Limits::denorm_min(), -1.0f, Limits::lowest(), -Limits::infinity()})
    EXPECT_EQ(boundedDelay(d), 0.0f) << d;
  // -0 would be traced as "-0.000".
  EXPECT_FALSE(std::signbit(boundedDelay(-0.0f)));
}

TEST(BoundedDelay, LongerDelaysWaitTheMaximum) {
  for (float d :
       {std::nextafter(kMaxDelay, Limits::infinity()), 1e30f, Limits::max(), Limits::infinity()})
    EXPECT_EQ(boundedDelay(d), kMaxDelay) << d;
}

}  // namespace
