// The main run loop: repeating timers and delayed perform requests.
//
// Timers and requests name their owner and selector so that the platform can
// withdraw requests per target or per target and selector, as
// cancelPreviousPerformRequestsWithTarget:[selector:object:] does.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace platform {

class Timer {
 public:
  virtual ~Timer() = default;
  virtual void invalidate() = 0;
  virtual bool isValid() const = 0;
};

// A dispatch timer source on the main queue. Created suspended; it stops
// firing when cancelled or when the last reference to it goes away.
class DispatchTimer {
 public:
  virtual ~DispatchTimer() = default;
  // First firing `start` seconds from now, then every `interval` seconds.
  virtual void setTimer(double start, double interval, double leeway) = 0;
  virtual void setEventHandler(std::function<void()> handler) = 0;
  virtual void resume() = 0;
};

class RunLoop {
 public:
  virtual ~RunLoop() = default;

  // scheduledTimerWithTimeInterval:target:selector:userInfo:repeats: on the
  // main run loop in its default mode.
  virtual std::shared_ptr<Timer> scheduleTimer(double interval, const std::string& owner,
                                               const std::string& selector,
                                               std::function<void()> action, bool repeats) = 0;

  // The same timer added for the run loop's common modes, so that it fires
  // also while a menu, a pop-up button or a slider of the agent is tracked.
  virtual std::shared_ptr<Timer> scheduleCommonModesTimer(double interval, const std::string& owner,
                                                          const std::string& selector,
                                                          std::function<void()> action,
                                                          bool repeats) {
    return scheduleTimer(interval, owner, selector, std::move(action), repeats);
  }

  // Told true when the main run loop enters its event-tracking mode (a menu,
  // a pop-up button or a slider is held; default-mode timers and delayed
  // requests wait) and false when it leaves it. A run-loop observer on
  // NSEventTrackingRunLoopMode's entry and exit.
  virtual void observeEventTracking(std::function<void(bool tracking)> observer) { (void)observer; }

  // performSelector:withObject:afterDelay: with no object.
  virtual void performAfterDelay(const void* target, const std::string& selector, double delay,
                                 std::function<void()> action) = 0;
  // cancelPreviousPerformRequestsWithTarget:
  virtual void cancelPreviousPerformRequests(const void* target) = 0;
  // cancelPreviousPerformRequestsWithTarget:selector:object: with object nil.
  virtual void cancelPreviousPerformRequests(const void* target, const std::string& selector) = 0;

  // dispatch_source_create(DISPATCH_SOURCE_TYPE_TIMER, 0, 0, main queue);
  // null when the source cannot be created.
  virtual std::shared_ptr<DispatchTimer> createDispatchTimer(const std::string& owner) = 0;

  // Seconds on a steady clock (the system's uptime), to measure how far
  // apart timers really fire.
  virtual double currentTime() { return 0; }
};

}  // namespace platform
