// What keeps the hover engine on time on macOS: how long one Accessibility
// question may wait for its answer, and the process activity that keeps
// App Nap from slowing the tracking timer of an agent with no window.
#pragma once

#include <cstdint>

namespace backend {

// The tracking timer's interval (the agent's own, set at launch).
inline constexpr double kTrackingTickSeconds = 0.5;

// Set on the system-wide element, the process's default for every
// Accessibility message (hit tests, attribute reads, actions, the Dock's
// children). The system's default is about 6 s: an application or a Dock
// that stops answering would then freeze the agent for seconds at each
// tick. A healthy answer takes milliseconds, so a quarter second loses
// nothing and keeps one tick's waits short. 0 would restore the default.
inline constexpr float kMessagingTimeoutSeconds = 0.25f;

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
