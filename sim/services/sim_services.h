// The simulated services of one agent process, other than the run loop and
// the application: notifications, events, workspace, screens, log, defaults.
#pragma once

#include <memory>
#include <vector>

#include "platform/defaults.h"
#include "platform/events.h"
#include "platform/notifications.h"
#include "platform/workspace.h"
#include "sim/services/session_context.h"

namespace sim {

class SimNotificationCenter final : public platform::NotificationCenter {
 public:
  explicit SimNotificationCenter(SessionContext& ctx) : ctx_(ctx) {}
  platform::ObserverToken addObserverForName(
      const std::string& name, const void* object,
      std::function<void(const platform::Notification&)> block) override;
  void addObserver(const void* observer, const std::string& name, const void* object,
                   std::function<void(const platform::Notification&)> selector) override;
  void removeObserver(const void* observer) override;
  void postNotificationName(const std::string& name, const void* object) override;

 private:
  struct Registration {
    const void* observer;
    std::string name;
    const void* object;
    std::function<void(const platform::Notification&)> callback;
  };
  SessionContext& ctx_;
  std::vector<std::shared_ptr<Registration>> registrations_;
};

class SimEvents final : public platform::Events {
 public:
  explicit SimEvents(SessionContext& ctx) : ctx_(ctx) {}
  platform::Point mouseLocation() override { return ctx_.world.pointer; }
  std::uint64_t modifierFlags() override { return ctx_.world.modifiers; }
  platform::MonitorToken addGlobalMonitor(std::uint64_t mask,
                                          std::function<void()> handler) override;
  platform::Ref<platform::KeyboardEvent> createKeyboardEvent(std::uint16_t keyCode,
                                                             bool keyDown) override;
  void postToPid(pid_t pid, const platform::KeyboardEvent& event) override;

  // A press of the right button that went to another application.
  void deliverRightMouseDown();

 private:
  struct Monitor {
    std::uint64_t mask;
    std::function<void()> handler;
  };
  SessionContext& ctx_;
  std::vector<std::weak_ptr<Monitor>> monitors_;
};

class SimWorkspace final : public platform::Workspace,
                           public platform::Screens,
                           public platform::Log {
 public:
  explicit SimWorkspace(SessionContext& ctx) : ctx_(ctx) {}
  std::vector<platform::RunningApplication> runningApplications() override;
  std::vector<platform::RunningApplication> runningApplicationsWithBundleIdentifier(
      const std::string& bundleIdentifier) override;
  bool openURL(const std::string& url) override;
  void observeSleep(std::function<void(bool asleep)> observer) override {
    ctx_.sleepObservers.push_back(std::move(observer));
  }
  const std::vector<platform::Rect>& screenFrames() override { return ctx_.world.screens; }
  void log(const std::string& text) override;
  void reportSetupFinding(const platform::SetupFinding& finding) override;
  void reportStalePermission(bool stale) override;

 private:
  SessionContext& ctx_;
};

class SimUserDefaults final : public platform::UserDefaults,
                              public platform::UserDefaultsController {
 public:
  explicit SimUserDefaults(SessionContext& ctx);
  ~SimUserDefaults() override;
  std::optional<platform::PrefValue> valueForKey(const std::string& key) override;
  bool boolForKey(const std::string& key) override;
  std::int64_t integerForKey(const std::string& key) override;
  float floatForKey(const std::string& key) override;
  void setBool(bool value, const std::string& key) override;
  void setInteger(std::int64_t value, const std::string& key) override;
  void setFloat(float value, const std::string& key) override;
  bool synchronize() override;
  void addObserver(platform::KeyValueObserver* observer, const std::string& keyPath,
                   unsigned options, const void* context) override;

 private:
  struct Observation {
    platform::KeyValueObserver* observer;
    std::string keyPath;
    const void* context;
  };
  void changed(const std::string& key);
  SessionContext& ctx_;
  std::vector<Observation> observations_;
};

// The platform's conversions of a stored value (NSUserDefaults xxxForKey:).
bool prefAsBool(const platform::PrefValue& v);
std::int64_t prefAsInteger(const platform::PrefValue& v);
float prefAsFloat(const platform::PrefValue& v);

}  // namespace sim
