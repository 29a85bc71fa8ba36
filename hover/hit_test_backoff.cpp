#include "hover/hit_test_backoff.h"

namespace hover {

HitTestBackoff::Ask HitTestBackoff::before(platform::Point point, double now) {
  if (!silentPoint_) return Ask::Normal;
  if (!platform::equalPoints(point, *silentPoint_)) {
    silentPoint_.reset();
    return Ask::Normal;
  }
  return now - lastAsked_ >= kProbeInterval ? Ask::Probe : Ask::Skip;
}

void HitTestBackoff::after(platform::Point point, double now, platform::AXError code) {
  if (code != platform::kAXErrorCannotComplete) {
    silentPoint_.reset();
    return;
  }
  silentPoint_ = point;
  lastAsked_ = now;
}

}  // namespace hover
