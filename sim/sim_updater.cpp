#include "sim/sim_updater.h"

#include <cstdio>

namespace sim {

void SimUpdater::setDelegate(platform::NibObject* delegate) {
  delegate_ = delegate;
  ctx_.trace.emit(Event::UpdaterDelegate);
}

void SimUpdater::setFeedURL(const std::optional<std::string>& url) {
  feedURL_ = url;
  ctx_.trace.emit(Event::UpdaterFeed, url ? quoted(*url) : "none");
}

void SimUpdater::setAutomaticallyChecksForUpdates(bool automatic) {
  automatic_ = automatic;
  ctx_.trace.emit(Event::UpdaterAutomatic, automatic ? "true" : "false");
}

void SimUpdater::checkForUpdatesInBackground() {
  ++backgroundChecks_;
  ctx_.trace.emit(Event::UpdaterCheck, "background");
}

void SimUpdater::setUpdateCheckInterval(double seconds) {
  interval_ = seconds;
  char text[32];
  std::snprintf(text, sizeof text, "%g", seconds);
  ctx_.trace.emit(Event::UpdaterInterval, text);
}

void SimUpdater::checkForUpdates(platform::NibObject* sender) {
  ++userChecks_;
  lastSender_ = sender;
  ctx_.trace.emit(Event::UpdaterCheck, "user");
}

}  // namespace sim
