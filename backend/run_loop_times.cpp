#include "backend/run_loop_times.h"

#include <algorithm>
#include <cmath>

namespace backend {

double clampSeconds(double seconds) {
  if (std::isnan(seconds)) return 0;
  return std::clamp(seconds, -kMaxRunLoopSeconds, kMaxRunLoopSeconds);
}

std::int64_t secondsToNanos(double seconds) {
  return static_cast<std::int64_t>(std::llround(clampSeconds(seconds) * 1e9));
}

DispatchSchedule dispatchSchedule(double start, double interval, double leeway) {
  DispatchSchedule s;
  s.startNanos = std::max<std::int64_t>(0, secondsToNanos(start));
  std::int64_t step = secondsToNanos(interval);
  s.repeats = step > 0;
  s.intervalNanos = s.repeats ? static_cast<std::uint64_t>(step) : 0;
  s.sourceIntervalNanos = s.repeats ? s.intervalNanos : kDispatchTimeForever;
  s.intervalSeconds = static_cast<double>(s.intervalNanos) / 1e9;
  s.leewayNanos = static_cast<std::uint64_t>(std::max<std::int64_t>(0, secondsToNanos(leeway)));
  return s;
}

}  // namespace backend
