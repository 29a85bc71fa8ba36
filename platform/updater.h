// The software-update framework's shared updater (SUUpdater sharedUpdater):
// one per process. Fetching and reading the feed, comparing versions and the
// update dialogs are the framework's own affair.
#pragma once

#include <optional>
#include <string>

#include "platform/application.h"

namespace platform {

class Updater {
 public:
  virtual ~Updater() = default;
  // Every decision a delegate could take is optional; a delegate that takes
  // none leaves them all to the updater's own defaults.
  virtual void setDelegate(NibObject* delegate) = 0;
  // The feed (appcast) that later checks read; nothing is accepted as is.
  virtual void setFeedURL(const std::optional<std::string>& url) = 0;
  virtual void setAutomaticallyChecksForUpdates(bool automatic) = 0;
  virtual void checkForUpdatesInBackground() = 0;
  virtual void setUpdateCheckInterval(double seconds) = 0;
  // A check at the user's request (checkForUpdates:).
  virtual void checkForUpdates(NibObject* sender) = 0;
  // False when the framework is not part of this build: every message
  // above then goes nowhere.
  virtual bool isAvailable() { return true; }
};

}  // namespace platform
