#include "app/app_delegate.h"
#include "app/preferences.h"
#include "permission/ax_process_trusted_observer.h"
#include "permission/settings_controller.h"

AppDelegate::AppDelegate() = default;
AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching() {
  _timerDalay = 0.5f;
  _appAndFolderClicked = false;
  _defaults = &platform::current().userDefaults();
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
  setMouseMonitor(platform::current().events().addGlobalMonitor(platform::kEventMaskRightMouseDown,
                                                                [this] { onRightMouseDown(); }));
}

void AppDelegate::setUpLogic() {
  auto& p = platform::current();
  _systemWideAccessibilityObject = p.accessibility().createSystemWide();
  _currentUIElement = nullptr;
  _timer = p.runLoop().scheduleTimer(
      static_cast<double>(_timerDalay), "AppDelegate", "onTimer", [this] { onTimer(); }, true);
}

void AppDelegate::onTimer() { checkMouse(); }

void AppDelegate::onRightMouseDown() {
  // A right-click drops whatever was pending; on a Dock item it also
  // dismisses the preview, since the item's menu is about to open.
  platform::current().runLoop().cancelPreviousPerformRequests(this);
  if (isMouseInDock())
    hidePreview();
  else
    clickStackItem();
}
