// When to hit-test the pointer's point. A hit test is a message to the
// process that owns the point; when that process does not answer
// (kAXErrorCannotComplete), asking again at every tick would spend each
// tick's time waiting. So while the pointer stays at such a point, the hit
// test is skipped and the owner only probed now and then, with a short
// timeout; a moved pointer, or an owner that answers, ends the back-off.
#pragma once

#include <optional>

#include "platform/accessibility.h"
#include "platform/geometry.h"

namespace hover {

// Seconds between probes of a point whose owner did not answer.
inline constexpr double kProbeInterval = 2.0;

class HitTestBackoff {
 public:
  enum class Ask {
    Normal,  // hit-test with the default timeout
    Probe,   // hit-test with the short probe timeout
    Skip,    // do not hit-test: the owner has not answered
  };

  // What to do about a hit test at `point` at `now` (seconds).
  Ask before(platform::Point point, double now);
  // The result of a hit test at `point` asked at `now`.
  void after(platform::Point point, double now, platform::AXError code);
  bool backingOff() const { return silentPoint_.has_value(); }

 private:
  std::optional<platform::Point> silentPoint_;  // where the owner did not answer
  double lastAsked_ = 0;                        // when it was last asked there
};

}  // namespace hover
