// What a backend's notification centre needs to carry the agent's
// notifications through the system's: the agent's objects are C++
// pointers, the system's centre wants objects of its own.
//
// NotificationObjects boxes a pointer once, for the life of the process, so
// that the same pointer is always the same object to the centre and a box
// is never reused for another pointer while a registration may still name
// it. A window of ours is its native window instead, the object the system
// posts its own window notifications with. Unboxing reverses both; an
// object that is none of ours (a panel of the system's) is passed on as its
// own address, which is no platform object.
#pragma once

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/notifications.h"

namespace backend {

class NotificationNatives {
 public:
  virtual ~NotificationNatives() = default;
  // The native window of a platform window of ours; null for any other.
  virtual const void* nativeWindowOf(const void* pointer) const = 0;
  // The platform window of a native window of ours; null for any other.
  virtual const void* platformWindowOf(const void* native) const = 0;
  // A new box holding `pointer`, which stays for the process.
  virtual const void* makeBox(const void* pointer) = 0;
};

class NotificationObjects {
 public:
  explicit NotificationObjects(NotificationNatives& natives) : natives_(natives) {}
  // The object the centre sees for `pointer`; null for null.
  const void* box(const void* pointer);
  // The pointer the centre's object stands for.
  const void* unbox(const void* native) const;

 private:
  NotificationNatives& natives_;
  std::unordered_map<const void*, const void*> boxes_;     // pointer -> box
  std::unordered_map<const void*, const void*> pointers_;  // box -> pointer
};

using NotificationCallback = std::function<void(const platform::Notification&)>;

// The agent's side of one registration: what the centre delivers is
// unboxed and handed to the callback, which may remove this registration
// while it runs.
class NotificationReceiver {
 public:
  NotificationReceiver(const NotificationObjects& objects, NotificationCallback callback)
      : objects_(objects), callback_(std::move(callback)) {}
  void receive(const std::string& name, const void* native) const;

 private:
  const NotificationObjects& objects_;
  NotificationCallback callback_;
};

// The system's observer objects of each owner, so that removing an owner
// unregisters its own and no other's.
template <class Native>
class ObserverRecords {
 public:
  void add(const void* owner, Native native) { byOwner_[owner].push_back(std::move(native)); }
  // What `owner` registered, now no longer recorded.
  std::vector<Native> remove(const void* owner) {
    auto node = byOwner_.extract(owner);
    return node.empty() ? std::vector<Native>() : std::move(node.mapped());
  }
  std::vector<Native> removeAll() {
    std::vector<Native> all;
    for (auto& [owner, list] : byOwner_)
      for (auto& native : list) all.push_back(std::move(native));
    byOwner_.clear();
    return all;
  }

 private:
  std::unordered_map<const void*, std::vector<Native>> byOwner_;
};

}  // namespace backend
