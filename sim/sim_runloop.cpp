#include "sim/sim_runloop.h"

#include <algorithm>
#include <cstdio>

namespace sim {

namespace {

std::string threeDecimals(double seconds) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3f", seconds);
  return buf;
}

// A repeating or one-shot NSTimer. Each firing queues the next one, at the
// due time plus the interval, so that virtual time never drifts.
class SimTimer final : public platform::Timer, public std::enable_shared_from_this<SimTimer> {
 public:
  SimTimer(SessionContext& ctx, Nanos interval, std::string name, std::function<void()> action,
           bool repeats)
      : ctx_(ctx),
        interval_(interval),
        name_(std::move(name)),
        action_(std::move(action)),
        repeats_(repeats) {}

  void arm(Nanos due) {
    // The run loop keeps a scheduled timer alive until it is invalidated,
    // whoever else lets it go.
    id_ = ctx_.queue.schedule(due, RunQueue::kWork, ctx_.owner,
                              [self = shared_from_this(), due] { self->fire(due); });
  }
  void invalidate() override {
    if (!valid_) return;
    valid_ = false;
    ctx_.queue.cancel(id_);
    ctx_.trace.emit(Event::TimerStop, name_);
  }
  bool isValid() const override { return valid_; }

 private:
  void fire(Nanos due) {
    auto keep = shared_from_this();  // the run loop holds a timer while it fires
    if (repeats_)
      arm(due + interval_);
    else
      valid_ = false;
    action_();
  }

  SessionContext& ctx_;
  Nanos interval_;
  std::string name_;
  std::function<void()> action_;
  bool repeats_;
  bool valid_ = true;
  RunQueue::Id id_ = 0;
};

// A dispatch timer source: it ends when its last owner lets it go.
class SimDispatchTimer final : public platform::DispatchTimer {
 public:
  SimDispatchTimer(SessionContext& ctx, std::string owner)
      : ctx_(ctx), owner_(std::move(owner)), alive_(std::make_shared<char>()) {}
  ~SimDispatchTimer() override {
    if (!resumed_) return;
    ctx_.queue.cancel(id_);
    // A process that ends takes its timers along without a word.
    if (!ctx_.stopRequested) ctx_.trace.emit(Event::DispatchStop, owner_);
  }
  void setTimer(double start, double interval, double) override {
    start_ = toNanos(start);
    interval_ = toNanos(interval);
  }
  void setEventHandler(std::function<void()> handler) override { handler_ = std::move(handler); }
  void resume() override {
    if (resumed_) return;
    resumed_ = true;
    ctx_.trace.emit(Event::DispatchStart,
                    owner_ + " " + threeDecimals(static_cast<double>(interval_) / 1e9));
    arm(ctx_.queue.now() + start_);
  }

 private:
  void arm(Nanos due) {
    std::weak_ptr<char> alive = alive_;
    id_ = ctx_.queue.schedule(due, RunQueue::kWork, ctx_.owner, [this, alive, due] {
      if (alive.expired()) return;
      if (interval_ > 0) arm(due + interval_);
      // The handler may release this source; nothing here is touched after it.
      auto handler = handler_;
      if (handler) handler();
    });
  }

  SessionContext& ctx_;
  std::string owner_;
  std::shared_ptr<char> alive_;  // lets a queued firing see that the source is gone
  std::function<void()> handler_;
  Nanos start_ = 0, interval_ = 0;
  bool resumed_ = false;
  RunQueue::Id id_ = 0;
};

}  // namespace

SimRunLoop::~SimRunLoop() = default;

std::shared_ptr<platform::Timer> SimRunLoop::scheduleTimer(double interval,
                                                           const std::string& owner,
                                                           const std::string& selector,
                                                           std::function<void()> action,
                                                           bool repeats) {
  // NSTimer takes intervals below 0.1 ms as 0.1 ms.
  Nanos step = std::max<Nanos>(toNanos(interval), 100000);
  std::string name = owner + "." + selector;
  ctx_.trace.emit(Event::TimerStart, name + " " + threeDecimals(interval));
  auto timer = std::make_shared<SimTimer>(ctx_, step, name, std::move(action), repeats);
  timer->arm(ctx_.queue.now() + step);
  return timer;
}

void SimRunLoop::performAfterDelay(const void* target, const std::string& selector, double delay,
                                   std::function<void()> action) {
  ctx_.trace.emit(Event::PerformSchedule, selector + " " + threeDecimals(delay));
  auto id = std::make_shared<RunQueue::Id>(0);
  *id =
      ctx_.queue.schedule(ctx_.queue.now() + toNanos(delay), RunQueue::kWork, ctx_.owner,
                          [this, id, selector, action = std::move(action)] {
                            std::erase_if(requests_, [&](const Request& r) { return r.id == *id; });
                            ctx_.trace.emit(Event::PerformRun, selector);
                            action();
                          });
  requests_.push_back({*id, target, selector});
}

std::size_t SimRunLoop::cancelWhere(const void* target, const std::string* selector) {
  std::size_t n = 0;
  std::erase_if(requests_, [&](const Request& r) {
    if (r.target != target || (selector && r.selector != *selector)) return false;
    ctx_.queue.cancel(r.id);
    ++n;
    return true;
  });
  return n;
}

void SimRunLoop::cancelPreviousPerformRequests(const void* target) {
  ctx_.trace.emit(Event::PerformCancel, "all " + std::to_string(cancelWhere(target, nullptr)));
}

void SimRunLoop::cancelPreviousPerformRequests(const void* target, const std::string& selector) {
  ctx_.trace.emit(Event::PerformCancel,
                  selector + " " + std::to_string(cancelWhere(target, &selector)));
}

std::shared_ptr<platform::DispatchTimer> SimRunLoop::createDispatchTimer(const std::string& owner) {
  return std::make_shared<SimDispatchTimer>(ctx_, owner);
}

}  // namespace sim
