// Running applications and web pages (NSWorkspace, NSRunningApplication),
// the screens (NSScreen) and the log (NSLog).
#pragma once

#include <functional>
#include <vector>

#include "platform/workspace.h"

namespace mac {

// Lists from the system are bounded: a list longer than this is cut.
inline constexpr std::size_t kMaxRunningApplications = 4096;
inline constexpr std::size_t kMaxScreens = 64;

class MacWorkspace final : public platform::Workspace,
                           public platform::Screens,
                           public platform::Log {
 public:
  std::vector<platform::RunningApplication> runningApplications() override;
  std::vector<platform::RunningApplication> runningApplicationsWithBundleIdentifier(
      const std::string& bundleIdentifier) override;
  bool openURL(const std::string& url) override;
  // The workspace's will-sleep and did-wake notifications (mac_power.mm).
  void observeSleep(std::function<void(bool asleep)> observer) override;
  const std::vector<platform::Rect>& screenFrames() override;
  void log(const std::string& text) override;
  // Traced only (VISTREL_TRACE=1): the log keeps its fixed messages.
  void reportSetupFinding(const platform::SetupFinding& finding) override;
  void reportStalePermission(bool stale) override;

 private:
  std::vector<platform::Rect> screens_;  // valid until the next screenFrames()
};

}  // namespace mac
