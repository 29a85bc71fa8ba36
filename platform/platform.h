// The platform services of one running agent process.
//
// On macOS these are process-wide singletons (standardUserDefaults, the
// Accessibility functions, the main run loop ...); current() is the single
// place where the agent reaches them. A backend binds itself for the life of
// the process it runs.
#pragma once

#include "platform/accessibility.h"
#include "platform/appkit.h"
#include "platform/application.h"
#include "platform/bundle.h"
#include "platform/defaults.h"
#include "platform/events.h"
#include "platform/login_items.h"
#include "platform/notifications.h"
#include "platform/runloop.h"
#include "platform/updater.h"
#include "platform/workspace.h"

namespace platform {

class Platform {
 public:
  virtual ~Platform() = default;
  virtual Application& application() = 0;
  virtual RunLoop& runLoop() = 0;
  virtual UserDefaults& userDefaults() = 0;
  virtual UserDefaultsController& userDefaultsController() = 0;
  virtual NotificationCenter& notificationCenter() = 0;
  virtual Accessibility& accessibility() = 0;
  virtual Events& events() = 0;
  virtual Workspace& workspace() = 0;
  virtual Screens& screens() = 0;
  virtual Log& log() = 0;
  virtual KeyValueObserving& keyValueObserving() = 0;
  virtual AppKit& appKit() = 0;
  virtual Bundle& bundle() = 0;
  virtual Updater& updater() = 0;
  virtual LoginItems& loginItems() = 0;
};

// The bound platform; binding null unbinds. Using current() unbound aborts.
Platform& current();
void bind(Platform* platform);

}  // namespace platform
