// The rules of the controls an interface file makes, the same on both
// desktops: what a press sends, what a checkbox bound to an object's key
// shows, and that the objects bound go unobserved with their window.
#pragma once

#include <string>
#include <vector>

#include "platform/application.h"

namespace backend {

// A button's press sends its action to its target, when it has both.
void pressButton(platform::NibObject* target, const std::string& action,
                 platform::NibObject* sender);

// What a checkbox bound to `key` of `object` shows: on while the key holds
// true, off for any other value; `shown` when the object has no such key.
bool boundCheckboxState(platform::NibObject& object, const std::string& key, bool shown);

// The objects a window's checkboxes follow. When the window goes they are
// observed no more: a change announced later would reach a checkbox gone.
class BoundObjects {
 public:
  BoundObjects() = default;
  ~BoundObjects();
  BoundObjects(const BoundObjects&) = delete;
  BoundObjects& operator=(const BoundObjects&) = delete;
  void set(std::vector<platform::NibObject*> objects, platform::KeyValueObserving* kvo);

 private:
  std::vector<platform::NibObject*> objects_;
  platform::KeyValueObserving* kvo_ = nullptr;
};

}  // namespace backend
