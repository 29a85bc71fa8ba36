#include "permission/settings_controller.h"

namespace {
constexpr double kRefreshInterval = 1.0;  // seconds
}

SettingsController::SettingsController()
    : platform::WindowController("SettingsController", nullptr) {
  if (auto w = window()) w->setLevel(platform::kStatusWindowLevel);
}

// Nothing to undo: the timer and the notification hold the controller weakly.
SettingsController::~SettingsController() = default;

void SettingsController::windowDidLoad() {}

void SettingsController::showWindow(platform::NibObject* sender) {
  platform::WindowController::showWindow(sender);
  setState();
  auto& p = platform::current();
  // One refresh timer at a time, however often the window is shown.
  if (updateTimer) updateTimer->invalidate();
  std::weak_ptr<SettingsController> weak = weak_from_this();
  updateTimer = p.runLoop().scheduleTimer(
      kRefreshInterval, "SettingsController", "onTimer",
      [weak] {
        if (auto self = weak.lock()) self->onTimer();
      },
      true);
  // Registered again at every showing; one registration is enough.
  p.notificationCenter().removeObserver(this);
  p.notificationCenter().addObserver(this, platform::kWindowWillCloseNotification, nullptr,
                                     [weak](const platform::Notification& n) {
                                       if (auto self = weak.lock()) self->windowWillClose(n);
                                     });
}

void SettingsController::onTimer() { setState(); }

void SettingsController::setState() {
  bool enabled = accessibilityEnabled();
  auto& appKit = platform::current().appKit();
  if (auto status = accesibilityStatus())
    status->setImage(appKit.imageNamed(enabled ? platform::kImageNameStatusAvailable
                                               : platform::kImageNameStatusUnavailable));
  if (auto button = accesibilityBtn())
    button->setTitle(enabled ? "Access Granted" : "Request Access");
}

void SettingsController::windowWillClose(const platform::Notification& notification) {
  // Other windows of the application (the About panel) close too.
  auto own = window();
  if (!own || notification.object != static_cast<const void*>(own.get())) return;
  if (updateTimer) updateTimer->invalidate();
}

void SettingsController::accessibility(platform::NibObject*) {
  moveWindow();
  openAccessibility();
}

void SettingsController::moveWindow() {
  auto w = window();
  if (!w) return;
  double width = w->frame().size.width;
  // The lower right of the window's own screen: a screen beside or below
  // the menu-bar screen has an origin of its own. On no screen the origin
  // counts as (0, 0) and the width as 0.
  auto screen = w->screenFrame().value_or(platform::Rect{});
  float x = static_cast<float>(screen.origin.x + screen.size.width - width);
  w->setFrameOrigin({static_cast<double>(x), screen.origin.y});
}

bool SettingsController::accessibilityEnabled() {
  return platform::current().accessibility().isProcessTrustedWithOptions(false);
}

void SettingsController::openAccessibility() {
  (void)platform::current().accessibility().isProcessTrustedWithOptions(true);
}

bool SettingsController::performAction(const std::string& selector, platform::NibObject* sender) {
  if (selector != "accessibility:") return false;
  accessibility(sender);
  return true;
}

bool SettingsController::connectOutlet(const std::string& name,
                                       std::shared_ptr<platform::NibObject> object) {
  if (name == "accesibilityBtn") {
    auto button = std::dynamic_pointer_cast<platform::Button>(object);
    if (!button) return false;
    setAccesibilityBtn(button);
    return true;
  }
  if (name == "accesibilityStatus") {
    auto view = std::dynamic_pointer_cast<platform::ImageView>(object);
    if (!view) return false;
    setAccesibilityStatus(view);
    return true;
  }
  return false;
}
