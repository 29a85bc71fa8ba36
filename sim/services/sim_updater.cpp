#include "sim/services/sim_updater.h"

namespace sim {

void SimUpdater::setDelegate(platform::NibObject* delegate) {
  delegate_ = delegate;
  ctx_.trace.updaterDelegate();
}

void SimUpdater::setFeedURL(const std::optional<std::string>& url) {
  feedURL_ = url;
  ctx_.trace.updaterFeed(url);
}

void SimUpdater::setAutomaticallyChecksForUpdates(bool automatic) {
  automatic_ = automatic;
  ctx_.trace.updaterAutomatic(automatic);
}

void SimUpdater::checkForUpdatesInBackground() {
  ++backgroundChecks_;
  ctx_.trace.updaterCheck(false);
}

void SimUpdater::setUpdateCheckInterval(double seconds) {
  interval_ = seconds;
  ctx_.trace.updaterInterval(seconds);
}

void SimUpdater::checkForUpdates(platform::NibObject* sender) {
  ++userChecks_;
  lastSender_ = sender;
  ctx_.trace.updaterCheck(true);
}

}  // namespace sim
