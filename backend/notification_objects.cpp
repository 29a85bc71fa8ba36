#include "backend/notification_objects.h"

namespace backend {

const void* NotificationObjects::box(const void* pointer) {
  if (!pointer) return nullptr;
  // A window of ours is what the system posts its notifications with.
  if (const void* window = natives_.nativeWindowOf(pointer)) return window;
  const void*& box = boxes_[pointer];
  if (!box) {
    box = natives_.makeBox(pointer);
    pointers_[box] = pointer;
  }
  return box;
}

const void* NotificationObjects::unbox(const void* native) const {
  if (!native) return nullptr;
  if (const void* window = natives_.platformWindowOf(native)) return window;
  // Only a box of ours stands for a pointer: another object that happens
  // to hold the same address is passed on as itself.
  auto it = pointers_.find(native);
  return it == pointers_.end() ? native : it->second;
}

void NotificationReceiver::receive(const std::string& name, const void* native) const {
  // The callback may remove this registration, and this with it: it runs
  // from a copy.
  NotificationCallback callback = callback_;
  callback({name, objects_.unbox(native)});
}

}  // namespace backend
