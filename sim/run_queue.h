// The one clock and the one queue of the simulated desktop.
//
// Work is ordered by due time, then by class (scenario input before anything
// else due at the same instant), then by the order it was scheduled. Time
// moves only when the next item runs; nothing sleeps.
#pragma once

#include <compare>
#include <cstdint>
#include <functional>
#include <map>
#include <unordered_map>

namespace sim {

using Nanos = std::int64_t;
Nanos toNanos(double seconds);

class RunQueue {
 public:
  enum Klass { kInput = 0, kWork = 1 };
  using Id = std::uint64_t;

  Nanos now() const { return now_; }
  Id schedule(Nanos due, Klass klass, int owner, std::function<void()> fn);
  // False when the item already ran or was cancelled.
  bool cancel(Id id);
  // Drops every pending item of an owner (a process that ended).
  void cancelOwner(int owner);
  // Runs the earliest item due at or before `until`; false when there is none.
  bool runOne(Nanos until);
  // Moves the clock forward to `t` (never back).
  void advanceTo(Nanos t);
  std::size_t pending() const { return items_.size(); }

 private:
  struct Key {
    Nanos due;
    int klass;
    Id seq;
    auto operator<=>(const Key&) const = default;
  };
  struct Entry {
    int owner;
    std::function<void()> fn;
  };
  std::map<Key, Entry> items_;
  std::unordered_map<Id, Key> index_;
  Nanos now_ = 0;
  Id next_ = 1;
};

}  // namespace sim
