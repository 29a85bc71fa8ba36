// The main run loop of the agent process on the simulated clock.
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "backend/perform_requests.h"
#include "platform/runloop.h"
#include "sim/services/session_context.h"

namespace sim {

class SimRunLoop final : public platform::RunLoop {
 public:
  explicit SimRunLoop(SessionContext& ctx) : ctx_(ctx) {}
  ~SimRunLoop() override;

  std::shared_ptr<platform::Timer> scheduleTimer(double interval, const std::string& owner,
                                                 const std::string& selector,
                                                 std::function<void()> action,
                                                 bool repeats) override;
  std::shared_ptr<platform::Timer> scheduleCommonModesTimer(double interval,
                                                            const std::string& owner,
                                                            const std::string& selector,
                                                            std::function<void()> action,
                                                            bool repeats) override;
  void observeEventTracking(std::function<void(bool tracking)> observer) override;
  void performAfterDelay(const void* target, const std::string& selector, double delay,
                         std::function<void()> action) override;
  void cancelPreviousPerformRequests(const void* target) override;
  void cancelPreviousPerformRequests(const void* target, const std::string& selector) override;
  std::shared_ptr<platform::DispatchTimer> createDispatchTimer(const std::string& owner) override;
  double currentTime() override;

  std::size_t pendingRequests() const { return requests_.pending(); }

 private:
  std::shared_ptr<platform::Timer> startTimer(double interval, const std::string& owner,
                                              const std::string& selector,
                                              std::function<void()> action, bool repeats,
                                              bool commonModes);
  // Takes withdrawn requests off the queue; returns how many there were.
  std::size_t drop(const std::vector<backend::PerformRequests::Id>& requests);

  SessionContext& ctx_;
  backend::PerformRequests requests_;
  std::unordered_map<backend::PerformRequests::Id, RunQueue::Id> queued_;
};

}  // namespace sim
