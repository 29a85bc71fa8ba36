// The book of pending delayed perform requests of one run loop, so that they
// can be withdrawn per target, or per target and selector, as
// cancelPreviousPerformRequestsWithTarget:[selector:object:] does. The run
// loop itself keeps the timers; this book only knows which request is whose.
#pragma once

#include <cstdint>
#include <string>
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

}  // namespace backend
