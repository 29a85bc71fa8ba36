// How long the agent waits for another process's answer. Every Accessibility
// call is a synchronous message: without a bound, one hung application under
// the pointer would stall every tick for the platform's 6 s.
#pragma once

namespace hover {

// The agent's default, set on the system-wide element when it is created:
// long enough for a busy Dock (answers within 0.4 s are common), short
// enough that a menu command waits at most this long behind a hit test.
inline constexpr float kDefaultMessagingTimeout = 0.5f;
// The Dock's own elements that actions and Dock queries use: the Dock
// performs "AXShowExpose" before it answers, which takes longer than a read.
inline constexpr float kDockMessagingTimeout = 2.0f;
// A probe of a point whose owner did not answer: it only has to tell
// whether the owner answers again.
inline constexpr float kProbeMessagingTimeout = 0.1f;

}  // namespace hover
