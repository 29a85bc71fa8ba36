#include "backend/key_value_observers.h"

#include <algorithm>

namespace backend {

void KeyValueObservers::addObserver(platform::NibObject* object, const std::string& key,
                                    std::function<void()> onChange) {
  observations_.push_back({object, key, std::move(onChange)});
}

void KeyValueObservers::removeObservers(platform::NibObject* object) {
  std::erase_if(observations_, [&](const Observation& o) { return o.object == object; });
}

void KeyValueObservers::willChangeValueForKey(platform::NibObject*, const std::string&) {}

void KeyValueObservers::didChangeValueForKey(platform::NibObject* object, const std::string& key) {
  if (trace_) trace_->kvoChange(key);
  // Observers may come and go while they are told: tell a snapshot.
  auto snapshot = observations_;
  for (const auto& o : snapshot)
    if (o.object == object && o.key == key) o.onChange();
}

}  // namespace backend
