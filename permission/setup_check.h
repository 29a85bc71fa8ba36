// The check of the agent's own set-up: everything the hover needs from the
// system, asked of the platform item by item, so that a hover that does
// nothing can say why. What each finding tells the user, and what to do
// about a failure, is worded here too.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "shell/bundle_location.h"

namespace setup {

// Intervals of the tracking timer above this count as slowed down: the
// timer asks for 0.5 s, and App Nap stretches a napping process's timers to
// seconds.
inline constexpr double kSlowTickSeconds = 0.75;
// How many of the latest tick intervals the check looks at.
inline constexpr std::size_t kTicksKept = 8;

// The intervals between the latest times the tracking timer fired, oldest
// first, kTicksKept - 1 at most: a ring that costs one store per tick. An
// interval that spans a pause of the run loop (a menu or slider held, the
// Mac asleep) is left out: the timer did not fire because nothing of the
// default mode could run, which is no sign of App Nap.
class TickTimes {
 public:
  void record(double seconds);
  // The run loop pauses or resumes: the interval in progress is not kept.
  void pause() { paused_ = true; }
  std::vector<double> intervals() const;

 private:
  static constexpr std::size_t kKept = kTicksKept - 1;
  double intervals_[kKept] = {};
  std::size_t next_ = 0, count_ = 0;
  double last_ = 0;
  bool ticked_ = false, paused_ = false;
};

// The finding for each intervals of the tracking timer; none means the
// engine has not ticked twice yet.
platform::SetupFinding timerFinding(const std::vector<double>& intervals);
platform::SetupFinding trustedFinding(bool trusted);
// Where the bundle runs from: fails for a translocated copy only.
platform::SetupFinding locationFinding(location::BundleLocation where);
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
// What to do about a failed finding (a sentence); empty for one that passed.
std::string adviceFor(const platform::SetupFinding& finding);
// How to grant the permission. It also covers a stale entry of an earlier
// build: the list shows Vistrel on, yet the system does not trust it and
// prompts no more, and only removing and adding it again helps.
std::string trustGuidance();
// The status the window shows when the permission went stale while the
// agent runs, and when it works again.
std::string stalePermissionText();
std::string recoveredPermissionText();

}  // namespace setup
