// The main run loop on macOS: NSTimer for repeating timers and delayed
// perform requests (the book of who asked for what is plain C++, shared
// with the simulated desktop), and dispatch timer sources on the main queue.
#pragma once

#include <memory>

#include "platform/runloop.h"

namespace mac {

class MacRunLoop final : public platform::RunLoop {
 public:
  MacRunLoop();
  ~MacRunLoop() override;
  MacRunLoop(const MacRunLoop&) = delete;
  MacRunLoop& operator=(const MacRunLoop&) = delete;

  std::shared_ptr<platform::Timer> scheduleTimer(double interval, const std::string& owner,
                                                 const std::string& selector,
                                                 std::function<void()> action,
                                                 bool repeats) override;
  // The same NSTimer, added for NSRunLoopCommonModes too.
  std::shared_ptr<platform::Timer> scheduleCommonModesTimer(double interval,
                                                            const std::string& owner,
                                                            const std::string& selector,
                                                            std::function<void()> action,
                                                            bool repeats) override;
  // A run-loop observer of NSEventTrackingRunLoopMode's entry and exit
  // (mac_tracking.mm).
  void observeEventTracking(std::function<void(bool tracking)> observer) override;
  void performAfterDelay(const void* target, const std::string& selector, double delay,
                         std::function<void()> action) override;
  void cancelPreviousPerformRequests(const void* target) override;
  void cancelPreviousPerformRequests(const void* target, const std::string& selector) override;
  std::shared_ptr<platform::DispatchTimer> createDispatchTimer(const std::string& owner) override;
  // The system's uptime (NSProcessInfo systemUptime): steady, unlike the
  // wall clock the user may set.
  double currentTime() override;

 private:
  struct Pending;  // the timers of requests not yet run
  std::unique_ptr<Pending> pending_;
};

}  // namespace mac
