#include "backend/key_value_observers.h"

#include <algorithm>

namespace backend {

void KeyValueObservers::addObserver(platform::NibObject* object, const std::string& key,
                                    std::function<void()> onChange) {
  observations_.push_back(
      std::make_shared<Observation>(Observation{object, key, std::move(onChange)}));
}

void KeyValueObservers::removeObservers(platform::NibObject* object) {
  std::erase_if(observations_, [&](const std::shared_ptr<Observation>& o) {
    if (o->object != object) return false;
    // Its owner may be gone once this returns: it must not be told again.
    o->removed = true;
    return true;
  });
}

void KeyValueObservers::willChangeValueForKey(platform::NibObject*, const std::string&) {}

void KeyValueObservers::didChangeValueForKey(platform::NibObject* object, const std::string& key) {
  if (trace_) trace_->kvoChange(key);
  // Observers may come and go while they are told: tell those observing when
  // the change was announced, less any removed meanwhile.
  auto snapshot = observations_;
  for (const auto& o : snapshot)
    if (!o->removed && o->object == object && o->key == key) o->onChange();
}

}  // namespace backend
