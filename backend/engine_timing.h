// What keeps the hover engine on time on macOS: the process activity that keeps App Nap from
// slowing the timer of an agent with no window. How long an Accessibility question may wait is the
// agent's own choice (hover/messaging_timeouts.h).
#pragma once

#include <cstdint>

namespace backend {

// NSActivityOptions of the activity held while the engine runs, by the
// values of Foundation's header (the macOS build checks them):
// NSActivityUserInitiatedAllowingIdleSystemSleep. User-initiated work is
// neither napped nor has its timers coalesced; unlike NSActivityUserInitiated
// it lets the Mac sleep when idle, and it is not NSActivityLatencyCritical,
// whose precision a half-second poll does not need and which costs energy.
inline constexpr std::uint64_t kActivityIdleSystemSleepDisabled = 1ULL << 20;
inline constexpr std::uint64_t kActivityIdleDisplaySleepDisabled = 1ULL << 40;
inline constexpr std::uint64_t kActivityUserInitiated =
    0x00FFFFFFULL | kActivityIdleSystemSleepDisabled;
inline constexpr std::uint64_t kActivityLatencyCritical = 0xFF00000000ULL;
inline constexpr std::uint64_t kEngineActivityOptions =
    kActivityUserInitiated & ~kActivityIdleSystemSleepDisabled;
inline constexpr const char* kEngineActivityReason =
    "Follows the pointer over the Dock twice a second";

}  // namespace backend
