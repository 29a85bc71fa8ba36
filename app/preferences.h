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

}  // namespace prefs
