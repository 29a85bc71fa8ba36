// What a scenario may ask for. Scenarios come from outside (files, a browser
// session), so each count and size has a bound, and a scenario beyond one is
// refused at its line with a clear message. README.md lists them.
#pragma once

#include <cstddef>

namespace sim::limits {

// The file: its size, its lines and the length of each.
inline constexpr std::size_t kMaxScenarioBytes = 64u << 20;
inline constexpr std::size_t kMaxLines = 1'000'000;
inline constexpr std::size_t kMaxLineBytes = 4096;

// `at T` and `run T`, in seconds: one week. The agent ticks twice a second,
// and a simulated day (172,800 ticks) runs in well under a second at rest;
// a week keeps the longest scenario to seconds, not hours.
inline constexpr double kMaxSeconds = 7 * 24 * 3600;
inline constexpr const char* kMaxSecondsText = "604800 s (7 days)";

// The world. Every tracking tick that evaluates a Dock item asks for the
// running applications (the whole list, as the platform gives it) and reads
// each further child of the Dock: their counts, not the Dock's length, set
// what a tick costs. A day of such ticks with 50 applications runs in about
// 6 s (Release); a row of 1,000 Dock items costs nothing per tick.
inline constexpr std::size_t kMaxDockItems = 1000;
inline constexpr std::size_t kMaxApplications = 50;  // application Dock items and `app` lines
inline constexpr std::size_t kMaxDockChildren = 16;  // `dock child` lines
// `screen` lines, and the frames of one `screens` line: 32 frames printed
// back in full (commandText) still fit in one line.
inline constexpr std::size_t kMaxScreens = 32;
inline constexpr double kMaxAppNapStretch = 100;     // `app nap FACTOR`, said in its message
inline constexpr std::size_t kMaxLoginItems = 1000;  // `login-item` lines
// `window` lines, set-up and timed; a live session may open no more at once.
inline constexpr std::size_t kMaxWindows = 1000;
// The hard cases' durations, in seconds: `dock slow D`, `tracking D`, `sleep D`.
inline constexpr double kMaxDockSlowness = 60;
inline constexpr double kMaxTracking = 3600;
inline constexpr double kMaxSleep = 7 * 24 * 3600;
// A screen's origin lies within this distance of 0, and its sides are no longer.
inline constexpr double kMaxScreenCoordinate = 1e7;

// Words and strings, in bytes (UTF-8).
inline constexpr std::size_t kMaxTitleBytes = 256;    // Dock items, applications, menu, controls
inline constexpr std::size_t kMaxStringBytes = 2048;  // URLs, info values, string defaults
inline constexpr std::size_t kMaxWordBytes = 256;     // keys, bundle identifiers, subroles

// An error quotes at most this much of an overlong word, then "…".
inline constexpr std::size_t kExcerptBytes = 40;

}  // namespace sim::limits
