// Preference keys of the agent's user defaults, and the modifier key code.
#pragma once

#include <cstdint>

namespace prefs {

inline constexpr const char* kActivateStackOnHover = "ActivateStackOnHover";
inline constexpr const char* kModKey = "modKey";
inline constexpr const char* kMissionModKey = "missionModKey";
inline constexpr const char* kDelay = "delay";
inline constexpr const char* kHideOnClick = "hideOnClick";
inline constexpr const char* kIsFirstStartPassed = "isFirstStartPassed";
inline constexpr const char* kEnableAutomaticChecks = "ZRLEnableAutomaticChecks";
inline constexpr const char* kChecksForBetaUpdates = "SUUpdaterChecksForBetaUpdates";

// What the modifier key code asks of the caller, given the keys held now.
enum class ModifierVerdict {
  Schedule,  // code 0 (no test) or the modifier is held
  NotHeld,   // a modifier is required and not held: end the evaluation
  Never,     // code below 0: schedule nothing, carry on
};

// Codes 1-3 are Command, Option and Shift; a higher code is itself the mask.
ModifierVerdict modifierVerdict(std::int64_t code, std::uint64_t modifierFlags);

// The delay written when none is stored, in seconds; the key holds a 32-bit
// float, so this is the single-precision 0.1 that is stored and read back.
inline constexpr float kDefaultDelay = 0.1f;
// Far beyond any hover delay a person would choose, yet short enough that
// requests cannot pile up: a tick schedules at most one, so no more than 120
// wait at once.
inline constexpr float kMaxDelay = 60.0f;

// The stored delay as the engine may use it. Any program can write the
// user's defaults, and the delay goes straight to the run loop, where NaN
// would run at once and infinity never: NaN takes the default, a negative
// delay means none, and anything above kMaxDelay waits kMaxDelay. The stored
// value itself is left as it is.
float boundedDelay(float stored);

}  // namespace prefs
