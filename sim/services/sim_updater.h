// The shared updater of one agent process. It traces what the agent asks of
// it and keeps the configuration it was given; the feed itself is never read.
#pragma once

#include <optional>
#include <string>

#include "platform/updater.h"
#include "sim/services/session_context.h"

namespace sim {

class SimUpdater final : public platform::Updater {
 public:
  explicit SimUpdater(SessionContext& ctx) : ctx_(ctx) {}

  void setDelegate(platform::NibObject* delegate) override;
  void setFeedURL(const std::optional<std::string>& url) override;
  void setAutomaticallyChecksForUpdates(bool automatic) override;
  void checkForUpdatesInBackground() override;
  void setUpdateCheckInterval(double seconds) override;
  void checkForUpdates(platform::NibObject* sender) override;
  bool isAvailable() override { return ctx_.world.updaterInBuild; }

  platform::NibObject* delegate() const { return delegate_; }
  const std::optional<std::string>& feedURL() const { return feedURL_; }
  bool automaticallyChecksForUpdates() const { return automatic_; }
  // The framework's own default until the agent sets one: a day.
  double updateCheckInterval() const { return interval_; }
  int backgroundChecks() const { return backgroundChecks_; }
  int userChecks() const { return userChecks_; }
  platform::NibObject* lastSender() const { return lastSender_; }

 private:
  SessionContext& ctx_;
  platform::NibObject* delegate_ = nullptr;
  std::optional<std::string> feedURL_;
  bool automatic_ = false;
  double interval_ = 86400;
  int backgroundChecks_ = 0;
  int userChecks_ = 0;
  platform::NibObject* lastSender_ = nullptr;
};

}  // namespace sim
