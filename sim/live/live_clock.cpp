#include "sim/live/live_clock.h"

#include <cmath>
#include <cstdio>

namespace sim {

Nanos LiveClock::virtualAt(Nanos wallNow) const {
  if (paused_ || wallNow <= anchorWall_) return anchorVirtual_;
  double elapsed = static_cast<double>(wallNow - anchorWall_) * speed_;
  Nanos t = anchorVirtual_ + static_cast<Nanos>(elapsed);
  return t > kMaxNanos ? kMaxNanos : t;
}

void LiveClock::pause(Nanos wallNow) {
  if (paused_) return;
  rebase(wallNow, virtualAt(wallNow));
  paused_ = true;
}

void LiveClock::resume(Nanos wallNow) {
  if (!paused_) return;
  paused_ = false;
  anchorWall_ = wallNow;
}

std::optional<std::string> LiveClock::setSpeed(double factor, Nanos wallNow) {
  if (!std::isfinite(factor) || factor < kMinLiveSpeed || factor > kMaxLiveSpeed) {
    char text[96];
    std::snprintf(text, sizeof text, "the speed is between %g and %g", kMinLiveSpeed,
                  kMaxLiveSpeed);
    return text;
  }
  rebase(wallNow, virtualAt(wallNow));
  speed_ = factor;
  return std::nullopt;
}

void LiveClock::rebase(Nanos wallNow, Nanos virtualNow) {
  anchorWall_ = wallNow;
  anchorVirtual_ = virtualNow;
}

std::string exactSeconds(Nanos t) {
  bool negative = t < 0;
  std::uint64_t n =
      negative ? static_cast<std::uint64_t>(-(t + 1)) + 1 : static_cast<std::uint64_t>(t);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s%llu.%09llu", negative ? "-" : "",
                static_cast<unsigned long long>(n / 1'000'000'000),
                static_cast<unsigned long long>(n % 1'000'000'000));
  std::string s = buf;
  std::size_t keep = s.find('.') + 4;  // three decimals at least
  while (s.size() > keep && s.back() == '0') s.pop_back();
  return s;
}

}  // namespace sim
