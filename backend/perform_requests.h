// The book of pending delayed perform requests of one run loop, so that they
// can be withdrawn per target, or per target and selector, as
// cancelPreviousPerformRequestsWithTarget:[selector:object:] does. The run
// loop itself keeps the timers; this book only knows which request is whose.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace backend {

class PerformRequests {
 public:
  using Id = std::uint64_t;

  // Records a request; the id names it to ran() and in what cancel returns.
  Id add(const void* target, const std::string& selector);
  // The request ran: it is no longer pending. False when it was not (it was
  // withdrawn meanwhile, so it must not run).
  bool ran(Id id);
  // Withdraws the target's requests (of that selector only, when given) and
  // returns their ids, oldest first, so the run loop can drop their timers.
  std::vector<Id> cancel(const void* target);
  std::vector<Id> cancel(const void* target, const std::string& selector);
  std::size_t pending() const { return requests_.size(); }

 private:
  struct Request {
    Id id;
    const void* target;
    std::string selector;
  };
  std::vector<Id> cancelWhere(const void* target, const std::string* selector);

  std::vector<Request> requests_;
  Id next_ = 1;
};

// The book with the run loop's timer of each request, the same flow on
// both desktops: a timer that fires forgets itself and runs its request
// only while it is pending; withdrawn requests' timers are stopped.
template <class Timer>
class PerformTimers {
 public:
  using Id = PerformRequests::Id;
  using Stop = std::function<void(Timer&)>;

  explicit PerformTimers(Stop stop) : stop_(std::move(stop)) {}
  PerformTimers(const PerformTimers&) = delete;
  PerformTimers& operator=(const PerformTimers&) = delete;

  Id add(const void* target, const std::string& selector) {
    return requests_.add(target, selector);
  }
  void setTimer(Id id, Timer timer) { timers_[id] = std::move(timer); }
  // The request's timer fired: true when the request is to run.
  bool fired(Id id) {
    timers_.erase(id);
    return requests_.ran(id);
  }
  // Withdraws the target's requests (of `selector` only, when given) and
  // stops their timers; returns how many there were.
  std::size_t cancel(const void* target, const std::string* selector) {
    const std::vector<Id> ids =
        selector ? requests_.cancel(target, *selector) : requests_.cancel(target);
    for (Id id : ids) {
      auto it = timers_.find(id);
      if (it == timers_.end()) continue;
      stop_(it->second);
      timers_.erase(it);
    }
    return ids.size();
  }
  // Stops every timer, for a run loop that goes.
  void stopAll() {
    for (auto& [id, timer] : timers_) stop_(timer);
    timers_.clear();
  }
  std::size_t pending() const { return requests_.pending(); }
  std::size_t timers() const { return timers_.size(); }

 private:
  Stop stop_;
  PerformRequests requests_;
  std::unordered_map<Id, Timer> timers_;
};

}  // namespace backend
