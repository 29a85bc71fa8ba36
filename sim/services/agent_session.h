// One run of the agent process on the simulated desktop: the platform
// services it sees, bound for as long as it runs. Ending the session ends
// the process: its queued work is dropped and its objects are destroyed.
#pragma once

#include "backend/key_value_observers.h"
#include "platform/platform.h"
#include "sim/services/session_context.h"
#include "sim/services/sim_accessibility.h"
#include "sim/services/sim_appkit.h"
#include "sim/services/sim_application.h"
#include "sim/services/sim_bundle.h"
#include "sim/services/sim_login_items.h"
#include "sim/services/sim_runloop.h"
#include "sim/services/sim_services.h"
#include "sim/services/sim_updater.h"

namespace sim {

class AgentSession final : public platform::Platform {
 public:
  AgentSession(SessionContext ctx, std::function<void()> runMainLoop);
  ~AgentSession() override;

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

  SessionContext& context() { return ctx_; }
  SimEvents& simEvents() { return events_; }
  SimAccessibility& simAccessibility() { return ax_; }
  SimRunLoop& simRunLoop() { return runLoop_; }
  SimApplication& simApplication() { return app_; }
  SimAppKit& simAppKit() { return appKit_; }

 private:
  SessionContext ctx_;
  SimAccessibility ax_;
  SimRunLoop runLoop_;
  SimNotificationCenter notifications_;
  SimEvents events_;
  SimWorkspace workspace_;
  SimUserDefaults defaults_;
  backend::KeyValueObservers kvo_;
  SimAppKit appKit_;
  SimBundle bundle_;
  SimUpdater updater_;
  SimLoginItems loginItems_;
  SimApplication app_;  // declared last: the agent's objects go first
};

}  // namespace sim
