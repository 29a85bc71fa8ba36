#include "backend/bound_controls.h"

#include <variant>

namespace backend {

void pressButton(platform::NibObject* target, const std::string& action,
                 platform::NibObject* sender) {
  if (target && !action.empty()) target->performAction(action, sender);
}

bool boundCheckboxState(platform::NibObject& object, const std::string& key, bool shown) {
  platform::PrefValue value;
  if (!object.valueForKey(key, &value)) return shown;
  return std::holds_alternative<bool>(value) && std::get<bool>(value);
}

BoundObjects::~BoundObjects() {
  if (!kvo_) return;
  for (auto* object : objects_) kvo_->removeObservers(object);
}

void BoundObjects::set(std::vector<platform::NibObject*> objects,
                       platform::KeyValueObserving* kvo) {
  objects_ = std::move(objects);
  kvo_ = kvo;
}

}  // namespace backend
