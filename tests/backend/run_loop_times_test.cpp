// Times given to the real run loop: bounded like the simulated desktop's,
// and a dispatch timer without a positive interval fires once instead of
// every nanosecond.
#include "backend/run_loop_times.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using backend::clampSeconds;
using backend::dispatchSchedule;
using backend::kMaxRunLoopSeconds;
using backend::secondsToNanos;

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(RunLoopTimes, NaNIsZeroAndTheRestIsBounded) {
  EXPECT_EQ(clampSeconds(std::nan("")), 0.0);
  EXPECT_EQ(clampSeconds(0.1), 0.1);
  EXPECT_EQ(clampSeconds(-0.5), -0.5);
  EXPECT_EQ(clampSeconds(kInf), kMaxRunLoopSeconds);
  EXPECT_EQ(clampSeconds(-kInf), -kMaxRunLoopSeconds);
  EXPECT_EQ(clampSeconds(1e300), kMaxRunLoopSeconds);
}

TEST(RunLoopTimes, NanosecondsAreRounded) {
  EXPECT_EQ(secondsToNanos(1.0), 1000000000);
  EXPECT_EQ(secondsToNanos(0.1f), 100000001);  // the float delay, as stored
  EXPECT_EQ(secondsToNanos(4e-10), 0);
  EXPECT_EQ(secondsToNanos(6e-10), 1);
  EXPECT_EQ(secondsToNanos(kInf), 1000000000000000000);
  EXPECT_EQ(secondsToNanos(std::nan("")), 0);
}

TEST(RunLoopTimes, APositiveIntervalRepeats) {
  auto s = dispatchSchedule(1.0, 1.0, 0);
  EXPECT_EQ(s.startNanos, 1000000000);
  EXPECT_TRUE(s.repeats);
  EXPECT_EQ(s.intervalNanos, 1000000000u);
  EXPECT_EQ(s.leewayNanos, 0u);
}

TEST(RunLoopTimes, NoPositiveIntervalFiresOnce) {
  for (double interval : {0.0, -1.0, 1e-10, std::nan(""), -kInf}) {
    auto s = dispatchSchedule(1.0, interval, 0);
    EXPECT_FALSE(s.repeats) << interval;
    EXPECT_EQ(s.intervalNanos, 0u) << interval;
  }
}

TEST(RunLoopTimes, StartAndLeewayAreNeverNegative) {
  auto s = dispatchSchedule(-5.0, 1.0, -1.0);
  EXPECT_EQ(s.startNanos, 0);
  EXPECT_EQ(s.leewayNanos, 0u);
  auto late = dispatchSchedule(kInf, kInf, 0.25);
  EXPECT_EQ(late.startNanos, 1000000000000000000);
  EXPECT_EQ(late.intervalNanos, 1000000000000000000u);
  EXPECT_EQ(late.leewayNanos, 250000000u);
}

}  // namespace

namespace {

TEST(DispatchScheduleTest, ASourceThatFiresOnceIsGivenNoIntervalAndTracedWithNone) {
  auto once = backend::dispatchSchedule(0.5, 0, 0);
  EXPECT_EQ(once.sourceIntervalNanos, backend::kDispatchTimeForever);
  EXPECT_EQ(once.intervalSeconds, 0.0);
  auto negative = backend::dispatchSchedule(0.5, -2.0, 0);
  EXPECT_EQ(negative.sourceIntervalNanos, backend::kDispatchTimeForever);
  EXPECT_EQ(negative.intervalSeconds, 0.0);
  auto every = backend::dispatchSchedule(0, 0.25, 0);
  EXPECT_EQ(every.sourceIntervalNanos, 250000000u);
  EXPECT_EQ(every.intervalSeconds, 0.25);
}

}  // namespace
