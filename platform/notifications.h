// The process's default notification centre.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace platform {

struct Notification {
  std::string name;
  const void* object = nullptr;
};

// Keeps an observation registered by block; the centre holds its own
// reference, so dropping the token does not end the observation.
using ObserverToken = std::shared_ptr<void>;

class NotificationCenter {
 public:
  virtual ~NotificationCenter() = default;
  // addObserverForName:object:queue:usingBlock: on the main queue; a null
  // object matches any sender. Delivery is immediate when posted on the main thread.
  virtual ObserverToken addObserverForName(const std::string& name, const void* object,
                                           std::function<void(const Notification&)> block) = 0;
  // addObserver:selector:name:object: for `observer`.
  virtual void addObserver(const void* observer, const std::string& name, const void* object,
                           std::function<void(const Notification&)> selector) = 0;
  virtual void removeObserver(const void* observer) = 0;
  virtual void postNotificationName(const std::string& name, const void* object) = 0;
};

}  // namespace platform
