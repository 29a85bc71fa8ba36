#include "sim/world/run_queue.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace sim {

namespace {
// std::push_heap and friends build a max-heap; the earliest key must top it.
constexpr auto kLater = [](const auto& a, const auto& b) { return b < a; };
}  // namespace

Nanos toNanos(double seconds) {
  // Delays come from preferences and scenarios: NaN counts as 0, and
  // anything beyond the bound waits for the bound, so that adding a delay
  // to any scenario time cannot overflow.
  if (std::isnan(seconds)) return 0;
  double nanos =
      std::clamp(seconds * 1e9, -static_cast<double>(kMaxNanos), static_cast<double>(kMaxNanos));
  return static_cast<Nanos>(std::llround(nanos));
}

RunQueue::Id RunQueue::schedule(Nanos due, Klass klass, int owner, std::function<void()> fn,
                                unsigned tags) {
  std::uint32_t slot;
  if (!freeSlots_.empty()) {
    slot = freeSlots_.back();
    freeSlots_.pop_back();
  } else {
    if (slots_.size() > kSlotMask) throw std::length_error("RunQueue: too many pending items");
    slot = static_cast<std::uint32_t>(slots_.size());
    slots_.emplace_back();
  }
  Id id = (nextSerial_++ << kSlotBits) | slot;
  slots_[slot] = Slot{id, owner, tags, std::move(fn)};
  ++live_;
  heap_.push_back(Key{due < now_ ? now_ : due, klass, id});
  std::push_heap(heap_.begin(), heap_.end(), kLater);
  return id;
}

std::function<void()> RunQueue::release(std::uint32_t slot) {
  auto fn = std::move(slots_[slot].fn);
  slots_[slot].fn = nullptr;
  slots_[slot].id = 0;
  slots_[slot].tags = 0;
  freeSlots_.push_back(slot);
  --live_;
  return fn;
}

bool RunQueue::cancel(Id id) {
  std::uint32_t slot = slotOf(id);
  if (id == 0 || slot >= slots_.size() || slots_[slot].id != id) return false;
  auto dropped = release(slot);
  compactIfSparse();
  return true;
}

void RunQueue::cancelOwner(int owner) {
  std::vector<std::function<void()>> dropped;
  for (std::uint32_t slot = 0; slot < slots_.size(); ++slot)
    if (slots_[slot].id != 0 && slots_[slot].owner == owner) dropped.push_back(release(slot));
  compactIfSparse();
}

void RunQueue::popTop() {
  std::pop_heap(heap_.begin(), heap_.end(), kLater);
  heap_.pop_back();
}

void RunQueue::compactIfSparse() {
  if (heap_.size() + held_.size() <= 2 * live_ + 64) return;
  std::erase_if(held_, [this](const Key& key) { return !isLive(key); });
  std::erase_if(heap_, [this](const Key& key) { return !isLive(key); });
  std::make_heap(heap_.begin(), heap_.end(), kLater);
}

bool RunQueue::runOne(Nanos until) {
  for (;;) {
    if (heap_.empty()) return false;
    const Key& top = heap_.front();
    if (top.due > until) break;
    if (!isLive(top)) {
      popTop();
    } else if (isHeld(top)) {
      held_.push_back(top);
      popTop();
    } else {
      break;
    }
  }
  if (heap_.empty() || heap_.front().due > until) return false;
  Key key = heap_.front();
  popTop();
  auto fn = release(slotOf(key.id));
  now_ = std::max(now_, key.due);
  fn();
  return true;
}

unsigned RunQueue::heldTags() const {
  unsigned tags = 0;
  for (int bit = 0; bit < kTagBits; ++bit)
    if (holds_[bit] > 0) tags |= 1u << bit;
  return tags;
}

void RunQueue::hold(unsigned tags) {
  for (int bit = 0; bit < kTagBits; ++bit)
    if (tags & (1u << bit)) ++holds_[bit];
}

void RunQueue::unhold(unsigned tags) {
  for (int bit = 0; bit < kTagBits; ++bit)
    if ((tags & (1u << bit)) && holds_[bit] > 0) --holds_[bit];
  // What is no longer held comes back, overdue items due now: equal keys
  // then order them by when they were scheduled.
  std::vector<Key> stillHeld;
  for (Key key : held_) {
    if (!isLive(key)) continue;
    if (isHeld(key)) {
      stillHeld.push_back(key);
      continue;
    }
    key.due = std::max(key.due, now_);
    heap_.push_back(key);
    std::push_heap(heap_.begin(), heap_.end(), kLater);
  }
  held_ = std::move(stillHeld);
}

std::optional<Nanos> RunQueue::nextDue() const {
  // Cancelled keys stay in the heap until they surface, so the top may be
  // stale: look at the live ones (the heap is kept at most about twice as
  // large as they are).
  std::optional<Nanos> due;
  for (const Key& key : heap_)
    if (isLive(key) && !isHeld(key) && (!due || key.due < *due)) due = key.due;
  return due;
}

void RunQueue::advanceTo(Nanos t) {
  if (t > now_) now_ = t;
}

}  // namespace sim
