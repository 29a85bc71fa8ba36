// Times the agent hands to the run loop come from preferences (the hover
// delay is whatever the user stored): NaN counts as 0 and anything beyond
// the bound waits for the bound, as on the simulated desktop, so that no
// timer is scheduled at a time the platform cannot represent.
#pragma once

#include <cstdint>

namespace backend {

inline constexpr double kMaxRunLoopSeconds = 1e9;

// NaN gives 0; the rest is clamped to +-kMaxRunLoopSeconds.
double clampSeconds(double seconds);
// The same in nanoseconds, rounded.
std::int64_t secondsToNanos(double seconds);

// A dispatch timer source's schedule. A source given an interval of 0 fires
// again after every nanosecond, so a timer with no positive interval fires
// once (the interval is then DISPATCH_TIME_FOREVER).
inline constexpr std::uint64_t kDispatchTimeForever = ~std::uint64_t{0};
struct DispatchSchedule {
  std::int64_t startNanos = 0;  // from now; never in the past
  bool repeats = false;
  std::uint64_t intervalNanos = 0;  // when it repeats
  std::uint64_t leewayNanos = 0;
  // The interval the source is given: kDispatchTimeForever when it fires once.
  std::uint64_t sourceIntervalNanos = kDispatchTimeForever;
  // The interval the trace shows: 0 when it fires once.
  double intervalSeconds = 0;
};
DispatchSchedule dispatchSchedule(double start, double interval, double leeway);

}  // namespace backend
