// Running applications, screens, web pages and the log.
#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/geometry.h"
#include "platform/setup_check.h"

namespace platform {

// NSRunningApplication, as a snapshot of what the agent reads.
struct RunningApplication {
  std::optional<std::string> bundleIdentifier;
  std::optional<std::string> bundleURL;
  pid_t processIdentifier = -1;
  friend bool operator==(const RunningApplication&, const RunningApplication&) = default;
};

class Workspace {
 public:
  virtual ~Workspace() = default;
  // NSWorkspace runningApplications, in the platform's order.
  virtual std::vector<RunningApplication> runningApplications() = 0;
  // NSRunningApplication runningApplicationsWithBundleIdentifier:
  virtual std::vector<RunningApplication> runningApplicationsWithBundleIdentifier(
      const std::string& bundleIdentifier) = 0;
  // NSWorkspace openURL:
  virtual bool openURL(const std::string& url) = 0;
  // The workspace's NSWorkspaceWillSleepNotification (told true) and
  // NSWorkspaceDidWakeNotification (told false): nothing of the agent runs
  // in between, and its timers fire late.
  virtual void observeSleep(std::function<void(bool asleep)> observer) { (void)observer; }
};

class Screens {
 public:
  virtual ~Screens() = default;
  // NSScreen screens: frames in Cocoa coordinates, the menu-bar screen first.
  // The list stays valid until the screens change or the next call.
  virtual const std::vector<Rect>& screenFrames() = 0;
};

class Log {
 public:
  virtual ~Log() = default;
  // NSLog of a fixed message.
  virtual void log(const std::string& text) = 0;
  // What the check of the set-up found, item by item, and a permission that
  // went stale while the agent runs (or works again). Written to the trace
  // only: the log keeps its fixed messages.
  virtual void reportSetupFinding(const SetupFinding& finding) { (void)finding; }
  virtual void reportStalePermission(bool stale) { (void)stale; }
};

}  // namespace platform
