// The platform services of the agent on macOS: one of each, for the life of
// the process. The services reach each other through platform::current()
// when they are called, never when they are made.
#pragma once

#include "backend/key_value_observers.h"
#include "mac/mac_accessibility.h"
#include "mac/mac_appkit.h"
#include "mac/mac_application.h"
#include "mac/mac_bundle.h"
#include "mac/mac_defaults.h"
#include "mac/mac_events.h"
#include "mac/mac_login_items.h"
#include "mac/mac_notifications.h"
#include "mac/mac_runloop.h"
#include "mac/mac_updater.h"
#include "mac/mac_workspace.h"
#include "platform/platform.h"

namespace mac {

class MacPlatform final : public platform::Platform {
 public:
  MacPlatform();
  ~MacPlatform() override;
  MacPlatform(const MacPlatform&) = delete;
  MacPlatform& operator=(const MacPlatform&) = delete;

  platform::Application& application() override { return app_; }
  platform::RunLoop& runLoop() override { return runLoop_; }
  platform::UserDefaults& userDefaults() override { return defaults_; }
  platform::UserDefaultsController& userDefaultsController() override { return defaults_; }
  platform::NotificationCenter& notificationCenter() override { return notifications_; }
  platform::Accessibility& accessibility() override { return ax_; }
  platform::Events& events() override { return events_; }
  platform::Workspace& workspace() override { return workspace_; }
  platform::Screens& screens() override { return workspace_; }
  platform::Log& log() override { return workspace_; }
  platform::KeyValueObserving& keyValueObserving() override { return kvo_; }
  platform::AppKit& appKit() override { return appKit_; }
  platform::Bundle& bundle() override { return bundle_; }
  platform::Updater& updater() override { return updater_; }
  platform::LoginItems& loginItems() override { return loginItems_; }

 private:
  MacAccessibility ax_;
  MacRunLoop runLoop_;
  MacNotificationCenter notifications_;
  MacEvents events_;
  MacWorkspace workspace_;
  MacUserDefaults defaults_;
  backend::KeyValueObservers kvo_;
  MacAppKit appKit_;
  MacBundle bundle_;
  MacUpdater updater_;
  MacLoginItems loginItems_;
  MacApplication app_;  // declared last: the agent's objects go first
};

}  // namespace mac
