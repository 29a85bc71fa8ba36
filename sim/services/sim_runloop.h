// The main run loop of the agent process on the simulated clock.
#pragma once

#include <memory>

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

  SessionContext& ctx_;
  backend::PerformTimers<RunQueue::Id> requests_{
      [this](RunQueue::Id& queued) { ctx_.queue.cancel(queued); }};
};

}  // namespace sim
