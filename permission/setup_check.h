// The check of the agent's own set-up: everything the hover needs from the
// system, asked of the platform item by item, so that a hover that does
// nothing can say why. What each finding tells the user, and what to do
// about a failure, is worded here too.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace setup {

// Intervals of the tracking timer above this count as slowed down: the
// timer asks for 0.5 s, and App Nap stretches a napping process's timers to
// seconds.
inline constexpr double kSlowTickSeconds = 0.75;
// How many of the latest tick intervals the check looks at.
inline constexpr std::size_t kTicksKept = 8;

// The latest times the tracking timer fired, oldest first, kTicksKept at
// most: a ring that costs one store per tick.
class TickTimes {
 public:
  void record(double seconds);
  // The intervals between the kept times, oldest first.
  std::vector<double> intervals() const;

 private:
  double times_[kTicksKept] = {};
  std::size_t next_ = 0, count_ = 0;
};

// The finding for each intervals of the tracking timer; none means the
// engine has not ticked twice yet.
platform::SetupFinding timerFinding(const std::vector<double>& intervals);
// Launch at login from what the list and the service say.
platform::SetupFinding loginFinding(bool listed, bool awaitsApproval);
// An element query's result code, for a process trusted or not: a trusted
// process whose calls are refused as disabled holds a stale permission.
platform::SetupFinding accessibilityFinding(platform::AXError code, bool trusted);

// Runs every item through the platform, in the order of SetupItem.
std::vector<platform::SetupFinding> checkSetup(const std::vector<double>& tickIntervals);

// One line for the window: a mark, the finding and, for a failure, what to
// do, on a line of its own.
std::string findingText(const platform::SetupFinding& finding);
// The status the window shows when the permission went stale while the
// agent runs, and when it works again.
std::string stalePermissionText();
std::string recoveredPermissionText();

}  // namespace setup
