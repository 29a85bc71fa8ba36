// What the agent finds when it checks its own set-up: one finding per item,
// shown in the settings window and written down through the platform's log.
#pragma once

#include <string>

namespace platform {

enum class SetupItem {
  Trusted,        // the process is trusted for Accessibility
  Accessibility,  // an element query on the Dock is answered
  Dock,           // the Dock runs and its items can be read
  ShowExpose,     // running applications' Dock items offer "AXShowExpose"
  Timer,          // the tracking timer keeps its pace
  LoginItem,      // launch at login: on, off or waiting for approval
  Updates,        // the updater is part of this build
  Location,       // the bundle runs from Applications, not from a temporary copy
};

struct SetupFinding {
  SetupItem item = SetupItem::Trusted;
  bool passed = false;
  // What was found, in a few words ("5 of 6", "stale", "on").
  std::string detail;
  // For a failure, what the user can do about it; empty otherwise.
  std::string advice;
};

}  // namespace platform
