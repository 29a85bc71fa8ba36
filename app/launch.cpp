#include "app/app_delegate.h"
#include "app/preferences.h"
#include "hover/messaging_timeouts.h"
#include "permission/ax_process_trusted_observer.h"
#include "permission/settings_controller.h"
#include "shell/bundle_location.h"

AppDelegate::AppDelegate() = default;
AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching() {
  _timerDalay = 0.5f;
  _appAndFolderClicked = false;
  _defaults = &platform::current().userDefaults();
  // A copy macOS made of a download is gone after the next login.
  if (location::currentBundleLocation() == location::BundleLocation::Translocated)
    platform::current().log().log(location::translocatedNotice());
  registerDefaultPreferences();
  observePreferenceChanges();
  setupStatusMenu();
  // Already trusted, this starts the engine through the trust notification.
  setupAccessibilityObserver();

  bool firstStartPassed = _defaults->boolForKey(prefs::kIsFirstStartPassed);
  if (accessibilityEnabled() && firstStartPassed) {
    runApp();
  } else {
    // Shown at the first start, and at every start without the permission.
    _defaults->setBool(true, prefs::kIsFirstStartPassed);
    _defaults->synchronize();
    showPrefsPanel(this);
  }
  configureUpdater();
}

void AppDelegate::runApp() {
  // Launch and the trust notification may both start the engine; one
  // timer, one monitor and one system-wide element are enough.
  if (_timer) return;
  setUpLogic();
  observeRunLoopPauses();
  setMouseMonitor(platform::current().events().addGlobalMonitor(platform::kEventMaskRightMouseDown,
                                                                [this] { onRightMouseDown(); }));
}

void AppDelegate::setUpLogic() {
  auto& p = platform::current();
  _systemWideAccessibilityObject = p.accessibility().createSystemWide();
  // On the system-wide element: the default for every call of the agent.
  p.accessibility().setMessagingTimeout(_systemWideAccessibilityObject.get(),
                                        hover::kDefaultMessagingTimeout);
  _currentUIElement = nullptr;
  _timer = p.runLoop().scheduleTimer(
      static_cast<double>(_timerDalay), "AppDelegate", "onTimer", [this] { onTimer(); }, true);
}

void AppDelegate::onTimer() {
  const double start = platform::current().runLoop().currentTime();
  _tickTimes.record(start);
  checkMouse();
  noteAccessibilityAnswer();
  noteWaitSince(start);
}

void AppDelegate::noteWaitSince(double start) {
  // Work that waited for a slow process delays the next tick itself.
  if (platform::current().runLoop().currentTime() - start > kBlockedTickSeconds) _tickTimes.pause();
}

void AppDelegate::observeRunLoopPauses() {
  auto& p = platform::current();
  p.runLoop().observeEventTracking([this](bool) { _tickTimes.pause(); });
  p.workspace().observeSleep([this](bool) { _tickTimes.pause(); });
}

void AppDelegate::noteAccessibilityAnswer() {
  if (_accessibilityErrorCode != platform::kAXErrorAPIDisabled) {
    _refusedTicks = 0;
    if (!_stalePermissionShown) return;
    // It works again: the next stale period will be shown again.
    _stalePermissionShown = false;
    platform::current().log().reportStalePermission(false);
    if (settingsWC()) settingsWC()->showSetupText(setup::recoveredPermissionText());
    return;
  }
  // Refused as disabled: a process that is not trusted is the trust
  // observer's affair; only a trusted one holds a stale permission.
  auto& p = platform::current();
  if (!p.accessibility().isProcessTrusted()) {
    _refusedTicks = 0;
    return;
  }
  if (_refusedTicks < kStalePermissionTicks) ++_refusedTicks;
  if (_refusedTicks < kStalePermissionTicks || _stalePermissionShown) return;
  _stalePermissionShown = true;
  p.log().reportStalePermission(true);
  showPrefsPanel(this);
  settingsWC()->showSetupText(setup::stalePermissionText());
}

void AppDelegate::onRightMouseDown() {
  // A right-click drops whatever was pending; on a Dock item it also
  // dismisses the preview, since the item's menu is about to open.
  platform::current().runLoop().cancelPreviousPerformRequests(this);
  if (isMouseInDock())
    hidePreview();
  else
    clickStackItem();
}
