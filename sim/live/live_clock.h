// The virtual clock of a live session follows the wall clock, at a speed
// factor, unless paused. Times are nanoseconds; the wall clock is whatever
// the caller reads (tests pass their own).
#pragma once

#include <optional>
#include <string>

#include "sim/world/run_queue.h"

namespace sim {

inline constexpr double kMinLiveSpeed = 0.1;
inline constexpr double kMaxLiveSpeed = 100;

class LiveClock {
 public:
  explicit LiveClock(Nanos wallNow) : anchorWall_(wallNow) {}

  // The virtual time the wall clock has reached (never before the anchor).
  Nanos virtualAt(Nanos wallNow) const;
  bool paused() const { return paused_; }
  double speed() const { return speed_; }

  void pause(Nanos wallNow);
  void resume(Nanos wallNow);
  // An error message when the factor is out of bounds.
  std::optional<std::string> setSpeed(double factor, Nanos wallNow);
  // The virtual clock stands at `virtualNow` at `wallNow` (after a command
  // or a step moved it on).
  void rebase(Nanos wallNow, Nanos virtualNow);

 private:
  Nanos anchorWall_;
  Nanos anchorVirtual_ = 0;
  double speed_ = 1;
  bool paused_ = false;
};

// A whole millisecond, rounded down.
inline Nanos wholeMillisecond(Nanos t) { return t - t % 1'000'000; }
// Seconds written exactly: at least three decimals, more only when needed
// ("1.200", "0.000001").
std::string exactSeconds(Nanos t);

}  // namespace sim
