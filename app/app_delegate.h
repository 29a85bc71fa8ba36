// AppDelegate: the application delegate. It owns the hover engine (tracking
// timer, right-click monitor, the Accessibility elements it hit-tests) and
// the preference mirrors that steer it.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hover/hit_test_backoff.h"
#include "permission/setup_check.h"
#include "platform/platform.h"

class AXProcessTrustedObserver;
class SettingsController;

class AppDelegate final : public platform::ApplicationDelegate,
                          public platform::KeyValueObserver,
                          public std::enable_shared_from_this<AppDelegate> {
 public:
  AppDelegate();
  ~AppDelegate() override;
  AppDelegate(const AppDelegate&) = delete;
  AppDelegate& operator=(const AppDelegate&) = delete;

  // Launch sequence and the engine.
  void applicationDidFinishLaunching() override;
  void runApp();
  void setUpLogic();
  void onTimer();
  // The tracking timer's latest intervals, oldest first.
  std::vector<double> tickIntervals() const { return _tickTimes.intervals(); }
  void observeValueForKeyPath(const std::string& keyPath, const void* object,
                              const void* context) override;

  // Hover decision.
  void checkMouse();
  bool isMouseInDock();

  // Dock actions and Dock state.
  void showAppExpose();
  bool clickStackItem();
  void hidePreview();
  bool isMissionControlVisible();
  bool isAppExposVisible();
  std::optional<platform::RunningApplication> appWithBundleID(const std::string& bundleID);
  pid_t getProcessIdentifierByURL(const std::string& url);
  std::optional<platform::RunningApplication> getRunningApplicationByURL(const std::string& url);

  // Permission.
  void setupAccessibilityObserver();
  bool accessibilityEnabled();
  void openAccessibility();

  // Status menu and its commands; menu actions arrive through performAction.
  void setupStatusMenu();
  void showAboutPanel();
  void showPrefsPanel(platform::NibObject* sender);
  void sendFeedback();
  void moreApps(platform::NibObject* sender);
  bool performAction(const std::string& selector, platform::NibObject* sender) override;

  // Software updates.
  std::optional<std::string> getFeedURL();
  void checkUpates(platform::NibObject* sender);
  // The shared updater's configuration at the end of launch.
  void configureUpdater();

  // Properties.
  const platform::MonitorToken& mouseMonitor() const { return _mouseMonitor; }
  void setMouseMonitor(platform::MonitorToken monitor) { _mouseMonitor = std::move(monitor); }
  const std::vector<platform::ObserverToken>& observers() const { return _observers; }
  void setObservers(std::vector<platform::ObserverToken> observers) {
    _observers = std::move(observers);
  }
  const std::shared_ptr<AXProcessTrustedObserver>& axProcessTrustedObserver() const {
    return _axProcessTrustedObserver;
  }
  void setAxProcessTrustedObserver(std::shared_ptr<AXProcessTrustedObserver> observer) {
    _axProcessTrustedObserver = std::move(observer);
  }
  const std::shared_ptr<platform::StatusItem>& statusItem() const { return _statusItem; }
  void setStatusItem(std::shared_ptr<platform::StatusItem> item) { _statusItem = std::move(item); }
  const std::shared_ptr<SettingsController>& settingsWC() const { return _settingsWC; }
  void setSettingsWC(std::shared_ptr<SettingsController> controller) {
    _settingsWC = std::move(controller);
  }

 private:
  void registerDefaultPreferences();
  void observePreferenceChanges();
  // Reads the pointer into _mouseLocation when asked, then replaces
  // _elementUnderCursor with the element at _mouseLocation.
  void hitTestAtMouseLocation();
  // The pauses of the run loop (menu tracking, sleep): tick intervals that
  // span one say nothing about App Nap.
  void observeRunLoopPauses();
  // Work begun at `start` that waited long for an answer: the tick interval
  // it lengthened is left out too.
  void noteWaitSince(double start);
  bool isDockShowing(const char* identifier, bool logFailures);
  void scheduleRequest(const char* selector, double delay);
  void onRightMouseDown();
  // After each tick: a trusted process whose hit tests are refused as
  // disabled, tick after tick, holds a stale permission.
  void noteAccessibilityAnswer();

  template <class T>
  using Ref = platform::Ref<T>;

  const platform::UIElement* _currentUIElement = nullptr;
  Ref<platform::UIElement> _elementUnderCursor;
  Ref<platform::UIElement> _systemWideAccessibilityObject;
  platform::AXError _accessibilityErrorCode = 0;
  std::optional<std::string> _lastTitle;
  std::shared_ptr<platform::Timer> _timer;
  platform::Point _mouseLocation;
  // Where the last completed evaluation took place; empty while no such
  // position stands (see checkMouse).
  std::optional<platform::Point> _lastMouseLocation = platform::Point{};
  bool _appAndFolderClicked = false;
  platform::UserDefaults* _defaults = nullptr;
  std::shared_ptr<platform::Timer> regularTimer;
  std::int64_t _modKey = 0;
  std::int64_t _missionModKey = 0;
  std::shared_ptr<platform::Menu> statusMenu;
  float _delay = 0;
  float _timerDalay = 0;
  std::shared_ptr<AXProcessTrustedObserver> _axProcessTrustedObserver;
  std::vector<platform::ObserverToken> _observers;
  platform::MonitorToken _mouseMonitor;
  std::shared_ptr<platform::StatusItem> _statusItem;
  std::shared_ptr<SettingsController> _settingsWC;
  // The set-up check's view of the engine.
  setup::TickTimes _tickTimes;
  // Hit tests at a point whose owner does not answer are skipped and probed.
  hover::HitTestBackoff _hitTestBackoff;
  int _refusedTicks = 0;
  bool _stalePermissionShown = false;
};

// Consecutive ticks whose hit test is refused, the process trusted, before
// the permission counts as stale: a refusal or two may come from the moment
// the user changes the permission.
inline constexpr int kStalePermissionTicks = 4;

// A tick that took longer than this waited for another process; the
// interval to the next tick then tells nothing about App Nap.
inline constexpr double kBlockedTickSeconds = 0.25;
