// The default notification centre (NSNotificationCenter defaultCenter).
//
// Notification objects on the agent's side are C++ pointers. Each is boxed
// in one NSValue for the life of the process, so that the same pointer is
// always the same object to the centre, and unboxed on delivery. A window
// of ours is its NSWindow instead, the object AppKit posts its own window
// notifications with (NSWindowWillCloseNotification), so that those reach
// the agent naming the platform window and nothing is posted under
// AppKit's names with another object. An object that is none of ours (the
// About panel closing) is passed on as its own address, which is no
// platform object.
#pragma once

#include <memory>

#include "platform/notifications.h"

namespace mac {

class MacNotificationCenter final : public platform::NotificationCenter {
 public:
  MacNotificationCenter();
  ~MacNotificationCenter() override;
  MacNotificationCenter(const MacNotificationCenter&) = delete;
  MacNotificationCenter& operator=(const MacNotificationCenter&) = delete;

  platform::ObserverToken addObserverForName(
      const std::string& name, const void* object,
      std::function<void(const platform::Notification&)> block) override;
  void addObserver(const void* observer, const std::string& name, const void* object,
                   std::function<void(const platform::Notification&)> selector) override;
  void removeObserver(const void* observer) override;
  void postNotificationName(const std::string& name, const void* object) override;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace mac
