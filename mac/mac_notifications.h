// The default notification centre (NSNotificationCenter defaultCenter).
//
// Notification objects on the agent's side are C++ pointers. Each is boxed
// in one NSValue for the life of the process, so that the same pointer is
// always the same object to the centre, and unboxed on delivery. An object
// that is none of ours (AppKit posts NSWindowWillCloseNotification with the
// NSWindow) is passed on as its own address, unless it was aliased to the
// platform object that stands for it.
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

  // Notifications the system posts with the Objective-C object at
  // `nativeObject` (as `(__bridge const void*)`) reach the agent with
  // `platformObject` instead: a window closed by the user is then the same
  // object to the agent as a window it closed itself. Forget the alias
  // before the native object goes away.
  void aliasObject(const void* nativeObject, const void* platformObject);
  void forgetAlias(const void* nativeObject);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The same for the bound platform's centre, for the windows of the AppKit
// side: `aliasNotificationObject((__bridge const void*)nsWindow, window)`.
void aliasNotificationObject(const void* nativeObject, const void* platformObject);
void forgetNotificationAlias(const void* nativeObject);

}  // namespace mac
