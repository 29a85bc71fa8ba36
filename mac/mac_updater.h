// The software-update framework's shared updater behind platform::Updater.
//
// The framework is loaded at run time from the bundle's Frameworks folder,
// so that the build has no link-time dependency on it. Without it every
// call does nothing, and one log line says that updates are unavailable.
// The trace shows what the agent asked, framework or not.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/updater.h"

namespace mac {

class MacUpdater final : public platform::Updater {
 public:
  MacUpdater();
  ~MacUpdater() override;
  MacUpdater(const MacUpdater&) = delete;
  MacUpdater& operator=(const MacUpdater&) = delete;

  void setDelegate(platform::NibObject* delegate) override;
  void setFeedURL(const std::optional<std::string>& url) override;
  void setAutomaticallyChecksForUpdates(bool automatic) override;
  void checkForUpdatesInBackground() override;
  void setUpdateCheckInterval(double seconds) override;
  void checkForUpdates(platform::NibObject* sender) override;
  // Sparkle.framework loads from the bundle and has its updater class.
  bool isAvailable() override;

 private:
  // The Objective-C side: the delegate object that stands for the agent's.
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace mac
