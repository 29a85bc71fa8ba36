// The one clock and the one queue of the simulated desktop.
//
// Work is ordered by due time, then by class (scenario input before anything
// else due at the same instant), then by the order it was scheduled. Time
// moves only when the next item runs; nothing sleeps.
//
// Work may be held: while a tag is held, items carrying it are set aside as
// they fall due, and when the hold ends they come back due at the later of
// their time and now, so that overdue items run at once in the order they
// were scheduled (the agent blocked in a call, asleep, or its run loop in
// another mode).
#pragma once

#include <compare>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "backend/trace.h"

namespace sim {

using Nanos = std::int64_t;
// About 31.7 years: the longest delay, and the latest time of a scenario.
inline constexpr Nanos kMaxNanos = 1'000'000'000'000'000'000;
inline constexpr double kMaxSeconds = 1e9;
// Seconds to nanoseconds, rounded; NaN gives 0, and the result is clamped
// to +-kMaxNanos.
Nanos toNanos(double seconds);

// The queue is also the trace's clock: virtual time since launch.
class RunQueue final : public backend::Clock {
 public:
  // kSystem: the machine's own events (a wake, a menu let go), which come
  // before scenario input at the same instant.
  enum Klass { kSystem = -1, kInput = 0, kWork = 1 };
  // Tags of held work.
  static constexpr unsigned kAgentWork = 1;    // anything of the agent's process
  static constexpr unsigned kDefaultMode = 2;  // the agent's default-mode timers and requests
  // Never 0, so that 0 can stand for "nothing scheduled".
  using Id = std::uint64_t;

  RunQueue() = default;
  RunQueue(const RunQueue&) = delete;
  RunQueue& operator=(const RunQueue&) = delete;

  Nanos now() const override { return now_; }
  Id schedule(Nanos due, Klass klass, int owner, std::function<void()> fn, unsigned tags = 0);
  // False when the item already ran or was cancelled.
  bool cancel(Id id);
  // Drops every pending item of an owner (a process that ended).
  void cancelOwner(int owner);
  // Runs the earliest item due at or before `until` that is not held; false
  // when there is none. The clock never goes back.
  bool runOne(Nanos until);
  // Holds may nest: a tag is held until each hold of it has ended.
  void hold(unsigned tags);
  void unhold(unsigned tags);
  bool holding(unsigned tags) const { return (heldTags() & tags) != 0; }
  // Moves the clock forward to `t` (never back).
  void advanceTo(Nanos t);
  std::size_t pending() const { return live_; }
  // When the earliest pending item falls due; nothing when none is pending.
  std::optional<Nanos> nextDue() const;

 private:
  // Every tick schedules and runs an item, so the queue must not allocate
  // per item: pending work is a binary heap of keys over a table of reusable
  // slots. An Id carries its slot in the low bits and a serial number above
  // them, so ordering Ids orders by scheduling, and a stale Id (its item ran
  // or was cancelled, the slot since reused) no longer matches its slot.
  static constexpr unsigned kSlotBits = 24;
  static constexpr Id kSlotMask = (Id{1} << kSlotBits) - 1;

  struct Key {
    Nanos due;
    int klass;
    Id id;
    auto operator<=>(const Key&) const = default;
  };
  struct Slot {
    Id id = 0;  // 0 while free
    int owner = 0;
    unsigned tags = 0;
    std::function<void()> fn;
  };

  static std::uint32_t slotOf(Id id) { return static_cast<std::uint32_t>(id & kSlotMask); }
  bool isLive(const Key& key) const { return slots_[slotOf(key.id)].id == key.id; }
  // Frees the slot and hands back its work, to be destroyed by the caller
  // once the queue is consistent again (its captures may call back in).
  std::function<void()> release(std::uint32_t slot);
  void popTop();
  // Cancelled items stay in the heap until they surface; rebuild it when
  // they outnumber the live ones, so it never grows without bound.
  void compactIfSparse();

  unsigned heldTags() const;
  bool isHeld(const Key& key) const { return (slots_[slotOf(key.id)].tags & heldTags()) != 0; }

  std::vector<Key> heap_;  // a min-heap: heap_.front() is the earliest key
  std::vector<Key> held_;  // set aside while their tags are held
  static constexpr int kTagBits = 2;
  int holds_[kTagBits] = {};
  std::vector<Slot> slots_;
  std::vector<std::uint32_t> freeSlots_;
  std::size_t live_ = 0;
  Nanos now_ = 0;
  Id nextSerial_ = 1;
};

}  // namespace sim
