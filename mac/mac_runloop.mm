#include "mac/mac_runloop.h"

#import <Foundation/Foundation.h>
#include <dispatch/dispatch.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "backend/dispatch_timer_life.h"
#include "backend/perform_requests.h"
#include "backend/run_loop_times.h"
#include "mac/mac_trace.h"

namespace mac {

namespace {

// The run loop retains a scheduled NSTimer until it is invalidated (or, for
// a one-shot timer, has fired), so dropping this object does not stop it.
class MacTimer final : public platform::Timer {
 public:
  MacTimer(NSTimer* timer, std::string owner, std::string selector)
      : timer_(timer), owner_(std::move(owner)), selector_(std::move(selector)) {}
  void invalidate() override {
    if (!timer_.valid) return;
    [timer_ invalidate];
    tracer().timerStop(owner_, selector_);
  }
  bool isValid() const override { return timer_.valid; }
  NSTimer* nsTimer() const { return timer_; }

 private:
  NSTimer* timer_;
  std::string owner_, selector_;
};

// A timer source on the main queue, cancelled when its last owner lets it go.
static_assert(backend::kDispatchTimeForever == DISPATCH_TIME_FOREVER);

class MacDispatchTimer final : public platform::DispatchTimer {
 public:
  MacDispatchTimer(dispatch_source_t source, std::string owner)
      : source_(source), life_(std::move(owner)) {}
  ~MacDispatchTimer() override {
    dispatch_source_cancel(source_);
    // Releasing a source that was never resumed is undefined; once
    // cancelled, resuming it delivers nothing.
    if (!life_.end(tracer(), true)) dispatch_resume(source_);
  }
  void setTimer(double start, double interval, double leeway) override {
    const auto s = backend::dispatchSchedule(start, interval, leeway);
    intervalSeconds_ = s.intervalSeconds;
    dispatch_source_set_timer(source_, dispatch_time(DISPATCH_TIME_NOW, s.startNanos),
                              s.sourceIntervalNanos, s.leewayNanos);
  }
  void setEventHandler(std::function<void()> handler) override {
    dispatch_source_set_event_handler(source_, ^{
      backend::DispatchTimerLife::fire(handler);
    });
  }
  void resume() override {
    if (life_.start(tracer(), intervalSeconds_)) dispatch_resume(source_);
  }

 private:
  dispatch_source_t source_;
  backend::DispatchTimerLife life_;
  double intervalSeconds_ = 0;
};

}  // namespace

struct MacRunLoop::Pending {
  backend::PerformTimers<NSTimer*> requests{[](NSTimer* __strong& timer) { [timer invalidate]; }};
};

MacRunLoop::MacRunLoop() : pending_(std::make_unique<Pending>()) {}

MacRunLoop::~MacRunLoop() { pending_->requests.stopAll(); }

std::shared_ptr<platform::Timer> MacRunLoop::scheduleTimer(double interval,
                                                           const std::string& owner,
                                                           const std::string& selector,
                                                           std::function<void()> action,
                                                           bool repeats) {
  tracer().timerStart(owner, selector, interval);
  // A scheduled timer runs in the main run loop's default mode; NSTimer
  // itself takes intervals of 0 or less as 0.1 ms.
  NSTimer* timer = [NSTimer scheduledTimerWithTimeInterval:backend::clampSeconds(interval)
                                                   repeats:repeats
                                                     block:^(NSTimer*) {
                                                       action();
                                                     }];
  return std::make_shared<MacTimer>(timer, owner, selector);
}

std::shared_ptr<platform::Timer> MacRunLoop::scheduleCommonModesTimer(double interval,
                                                                      const std::string& owner,
                                                                      const std::string& selector,
                                                                      std::function<void()> action,
                                                                      bool repeats) {
  auto timer = scheduleTimer(interval, owner, selector, std::move(action), repeats);
  // A timer may run in several modes; the common modes hold the
  // event-tracking mode, so it fires while a menu or slider is held.
  [[NSRunLoop mainRunLoop] addTimer:std::static_pointer_cast<MacTimer>(timer)->nsTimer()
                            forMode:NSRunLoopCommonModes];
  return timer;
}

void MacRunLoop::performAfterDelay(const void* target, const std::string& selector, double delay,
                                   std::function<void()> action) {
  tracer().performSchedule(selector, delay);
  const auto request = pending_->requests.add(target, selector);
  Pending* pending = pending_.get();
  // A block captures a reference parameter by reference: it gets a copy.
  std::string name = selector;
  pending->requests.setTimer(
      request, [NSTimer scheduledTimerWithTimeInterval:backend::clampSeconds(delay)
                                               repeats:NO
                                                 block:^(NSTimer*) {
                                                   if (!pending->requests.fired(request)) return;
                                                   tracer().performRun(name);
                                                   action();
                                                 }]);
}

void MacRunLoop::cancelPreviousPerformRequests(const void* target) {
  tracer().performCancel(std::nullopt, pending_->requests.cancel(target, nullptr));
}

void MacRunLoop::cancelPreviousPerformRequests(const void* target, const std::string& selector) {
  tracer().performCancel(selector, pending_->requests.cancel(target, &selector));
}

double MacRunLoop::currentTime() { return NSProcessInfo.processInfo.systemUptime; }

std::shared_ptr<platform::DispatchTimer> MacRunLoop::createDispatchTimer(const std::string& owner) {
  dispatch_source_t source =
      dispatch_source_create(DISPATCH_SOURCE_TYPE_TIMER, 0, 0, dispatch_get_main_queue());
  if (!source) return nullptr;
  return std::make_shared<MacDispatchTimer>(source, owner);
}

}  // namespace mac
