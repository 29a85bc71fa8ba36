// The main run loop of the agent process on the simulated clock.
#pragma once

#include <memory>
#include <vector>

#include "platform/runloop.h"
#include "sim/session_context.h"

namespace sim {

class SimRunLoop final : public platform::RunLoop {
 public:
  explicit SimRunLoop(SessionContext& ctx) : ctx_(ctx) {}
  ~SimRunLoop() override;

  std::shared_ptr<platform::Timer> scheduleTimer(double interval, const std::string& owner,
                                                 const std::string& selector,
                                                 std::function<void()> action,
                                                 bool repeats) override;
  void performAfterDelay(const void* target, const std::string& selector, double delay,
                         std::function<void()> action) override;
  void cancelPreviousPerformRequests(const void* target) override;
  void cancelPreviousPerformRequests(const void* target, const std::string& selector) override;
  std::shared_ptr<platform::DispatchTimer> createDispatchTimer(const std::string& owner) override;

  std::size_t pendingRequests() const { return requests_.size(); }

 private:
  struct Request {
    RunQueue::Id id;
    const void* target;
    std::string selector;
  };
  std::size_t cancelWhere(const void* target, const std::string* selector);

  SessionContext& ctx_;
  std::vector<Request> requests_;
};

}  // namespace sim
