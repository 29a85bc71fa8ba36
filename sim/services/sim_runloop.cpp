#include "sim/services/sim_runloop.h"

#include <algorithm>

#include "backend/dispatch_timer_life.h"

namespace sim {

namespace {

// The next fire time of a repeating schedule that was due at `due`: the
// first of its times after now. A timer held back (the agent blocked or
// asleep, its mode not running) fires once when it can, not once for each
// time it missed.
Nanos nextOnSchedule(Nanos due, Nanos step, Nanos now) {
  Nanos next = due + step;
  if (next > now || step <= 0) return next;
  return due + step * ((now - due) / step + 1);
}

constexpr unsigned kDefaultModeWork = RunQueue::kAgentWork | RunQueue::kDefaultMode;

// A repeating or one-shot NSTimer. Each firing queues the next one, at the
// due time plus the interval, so that virtual time never drifts.
class SimTimer final : public platform::Timer, public std::enable_shared_from_this<SimTimer> {
 public:
  SimTimer(SessionContext& ctx, Nanos interval, std::string owner, std::string selector,
           std::function<void()> action, bool repeats, bool commonModes)
      : ctx_(ctx),
        interval_(interval),
        owner_(std::move(owner)),
        selector_(std::move(selector)),
        action_(std::move(action)),
        repeats_(repeats),
        tags_(commonModes ? RunQueue::kAgentWork : kDefaultModeWork) {}

  // App Nap stretches the time to each firing.
  Nanos step() const {
    double stretch = ctx_.world.timerStretch;
    if (stretch == 1) return interval_;
    return static_cast<Nanos>(static_cast<double>(interval_) * stretch);
  }
  void arm(Nanos due) {
    // The run loop keeps a scheduled timer alive until it is invalidated,
    // whoever else lets it go.
    id_ = ctx_.queue.schedule(
        due, RunQueue::kWork, ctx_.owner, [self = shared_from_this(), due] { self->fire(due); },
        tags_);
  }
  void invalidate() override {
    if (!valid_) return;
    valid_ = false;
    ctx_.queue.cancel(id_);
    ctx_.trace.timerStop(owner_, selector_);
  }
  bool isValid() const override { return valid_; }

 private:
  void fire(Nanos due) {
    auto keep = shared_from_this();  // the run loop holds a timer while it fires
    if (repeats_)
      arm(nextOnSchedule(due, step(), ctx_.queue.now()));
    else
      valid_ = false;
    action_();
  }

  SessionContext& ctx_;
  Nanos interval_;
  std::string owner_, selector_;
  std::function<void()> action_;
  bool repeats_;
  unsigned tags_;
  bool valid_ = true;
  RunQueue::Id id_ = 0;
};

// A dispatch timer source: it ends when its last owner lets it go.
class SimDispatchTimer final : public platform::DispatchTimer {
 public:
  SimDispatchTimer(SessionContext& ctx, std::string owner)
      : ctx_(ctx), life_(std::move(owner)), alive_(std::make_shared<char>()) {}
  ~SimDispatchTimer() override {
    // A process that ends takes its timers along without a word.
    if (life_.end(ctx_.trace, !ctx_.stopRequested)) ctx_.queue.cancel(id_);
  }
  void setTimer(double start, double interval, double) override {
    start_ = toNanos(start);
    interval_ = toNanos(interval);
  }
  void setEventHandler(std::function<void()> handler) override { handler_ = std::move(handler); }
  void resume() override {
    if (life_.start(ctx_.trace, static_cast<double>(interval_) / 1e9))
      arm(ctx_.queue.now() + start_);
  }

 private:
  void arm(Nanos due) {
    std::weak_ptr<char> alive = alive_;
    // The main queue runs in every mode; held back, the source fires once.
    id_ = ctx_.queue.schedule(
        due, RunQueue::kWork, ctx_.owner,
        [this, alive, due] {
          if (alive.expired()) return;
          if (interval_ > 0) arm(nextOnSchedule(due, interval_, ctx_.queue.now()));
          // The handler may release this source; nothing here is touched after it.
          backend::DispatchTimerLife::fire(handler_);
        },
        RunQueue::kAgentWork);
  }

  SessionContext& ctx_;
  backend::DispatchTimerLife life_;
  std::shared_ptr<char> alive_;  // lets a queued firing see that the source is gone
  std::function<void()> handler_;
  Nanos start_ = 0, interval_ = 0;
  RunQueue::Id id_ = 0;
};

}  // namespace

SimRunLoop::~SimRunLoop() = default;

std::shared_ptr<platform::Timer> SimRunLoop::scheduleTimer(double interval,
                                                           const std::string& owner,
                                                           const std::string& selector,
                                                           std::function<void()> action,
                                                           bool repeats) {
  return startTimer(interval, owner, selector, std::move(action), repeats, false);
}

std::shared_ptr<platform::Timer> SimRunLoop::scheduleCommonModesTimer(double interval,
                                                                      const std::string& owner,
                                                                      const std::string& selector,
                                                                      std::function<void()> action,
                                                                      bool repeats) {
  return startTimer(interval, owner, selector, std::move(action), repeats, true);
}

std::shared_ptr<platform::Timer> SimRunLoop::startTimer(double interval, const std::string& owner,
                                                        const std::string& selector,
                                                        std::function<void()> action, bool repeats,
                                                        bool commonModes) {
  // NSTimer takes intervals below 0.1 ms as 0.1 ms.
  Nanos step = std::max<Nanos>(toNanos(interval), 100000);
  ctx_.trace.timerStart(owner, selector, interval);
  auto timer = std::make_shared<SimTimer>(ctx_, step, owner, selector, std::move(action), repeats,
                                          commonModes);
  timer->arm(ctx_.queue.now() + timer->step());
  return timer;
}

void SimRunLoop::observeEventTracking(std::function<void(bool tracking)> observer) {
  ctx_.trackingObservers.push_back(std::move(observer));
}

void SimRunLoop::performAfterDelay(const void* target, const std::string& selector, double delay,
                                   std::function<void()> action) {
  ctx_.trace.performSchedule(selector, delay);
  auto request = requests_.add(target, selector);
  requests_.setTimer(request, ctx_.queue.schedule(
                                  ctx_.queue.now() + toNanos(delay), RunQueue::kWork, ctx_.owner,
                                  [this, request, selector, action = std::move(action)] {
                                    if (!requests_.fired(request)) return;
                                    ctx_.trace.performRun(selector);
                                    action();
                                  },
                                  kDefaultModeWork));
}

void SimRunLoop::cancelPreviousPerformRequests(const void* target) {
  ctx_.trace.performCancel(std::nullopt, requests_.cancel(target, nullptr));
}

void SimRunLoop::cancelPreviousPerformRequests(const void* target, const std::string& selector) {
  ctx_.trace.performCancel(selector, requests_.cancel(target, &selector));
}

double SimRunLoop::currentTime() { return static_cast<double>(ctx_.queue.now()) / 1e9; }

std::shared_ptr<platform::DispatchTimer> SimRunLoop::createDispatchTimer(const std::string& owner) {
  return std::make_shared<SimDispatchTimer>(ctx_, owner);
}

}  // namespace sim
