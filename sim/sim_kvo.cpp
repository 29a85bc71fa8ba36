#include "sim/sim_kvo.h"

#include <algorithm>

namespace sim {

void SimKeyValueObserving::addObserver(platform::NibObject* object, const std::string& key,
                                       std::function<void()> onChange) {
  observations_.push_back({object, key, std::move(onChange)});
}

void SimKeyValueObserving::removeObservers(platform::NibObject* object) {
  std::erase_if(observations_, [&](const Observation& o) { return o.object == object; });
}

void SimKeyValueObserving::willChangeValueForKey(platform::NibObject*, const std::string&) {}

void SimKeyValueObserving::didChangeValueForKey(platform::NibObject* object,
                                                const std::string& key) {
  ctx_.trace.emit(Event::KvoChange, key);
  auto snapshot = observations_;
  for (const auto& o : snapshot)
    if (o.object == object && o.key == key) o.onChange();
}

}  // namespace sim
