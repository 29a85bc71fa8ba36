#include "sim/run_queue.h"

#include <cmath>

namespace sim {

Nanos toNanos(double seconds) { return static_cast<Nanos>(std::llround(seconds * 1e9)); }

RunQueue::Id RunQueue::schedule(Nanos due, Klass klass, int owner, std::function<void()> fn) {
  Id id = next_++;
  Key key{due < now_ ? now_ : due, klass, id};
  items_.emplace(key, Entry{owner, std::move(fn)});
  index_.emplace(id, key);
  return id;
}

bool RunQueue::cancel(Id id) {
  auto it = index_.find(id);
  if (it == index_.end()) return false;
  items_.erase(it->second);
  index_.erase(it);
  return true;
}

void RunQueue::cancelOwner(int owner) {
  for (auto it = items_.begin(); it != items_.end();) {
    if (it->second.owner == owner) {
      index_.erase(it->first.seq);
      it = items_.erase(it);
    } else {
      ++it;
    }
  }
}

bool RunQueue::runOne(Nanos until) {
  if (items_.empty()) return false;
  auto it = items_.begin();
  if (it->first.due > until) return false;
  now_ = it->first.due;
  auto fn = std::move(it->second.fn);
  index_.erase(it->first.seq);
  items_.erase(it);
  fn();
  return true;
}

void RunQueue::advanceTo(Nanos t) {
  if (t > now_) now_ = t;
}

}  // namespace sim
