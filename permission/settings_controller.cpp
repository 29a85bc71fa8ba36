#include "permission/settings_controller.h"

#include <algorithm>

#include "permission/setup_check.h"

namespace {
constexpr double kRefreshInterval = 1.0;  // seconds
}

platform::Rect frameForSetupText(platform::Rect current, double loadedHeight, std::size_t lines,
                                 std::optional<platform::Rect> screen) {
  double height = loadedHeight;
  if (lines) height += static_cast<double>(lines) * kSetupLineHeight + kSetupTextPadding;
  platform::Rect frame = current;
  frame.size.height = height;
  frame.origin.y = current.maxY() - height;
  if (screen && frame.origin.y < screen->minY())
    frame.origin.y = std::min(screen->minY(), current.origin.y);
  return frame;
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
  // In the common modes: the window keeps refreshing while the user holds
  // its slider or pop-up button.
  updateTimer = p.runLoop().scheduleCommonModesTimer(
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
  p.loginItems().watchStatus();
  showNotice();
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
  if (enabled && requested_) {
    requested_ = false;
    showNotice();
  }
}

void SettingsController::windowWillClose(const platform::Notification& notification) {
  // Other windows of the application (the About panel) close too.
  auto own = window();
  if (!own || notification.object != static_cast<const void*>(own.get())) return;
  if (updateTimer) updateTimer->invalidate();
  platform::current().loginItems().stopWatchingStatus();
}

void SettingsController::accessibility(platform::NibObject*) {
  moveWindow();
  openAccessibility();
  // The system prompts only for a client it does not list: for a stale
  // entry of an earlier build no prompt comes, so the window says at once
  // what to do rather than wait for one.
  if (requested_ || accessibilityEnabled()) return;
  requested_ = true;
  showNotice();
}

std::string SettingsController::noticeText() {
  std::vector<platform::SetupFinding> notices;
  auto where = setup::locationFinding(location::currentBundleLocation());
  if (!where.passed) notices.push_back(where);
  if (requested_) notices.push_back(setup::trustedFinding(false));
  std::string text;
  for (const auto& notice : notices)
    text += (text.empty() ? "" : "\n") + setup::findingText(notice);
  return text;
}

void SettingsController::showNotice() {
  if (checked_) return;
  std::string text = noticeText();
  // Text that others showed (a stale permission) stays until a notice
  // replaces it.
  if (text.empty() && !noticeShown_) return;
  showSetupText(text);
  noticeShown_ = !text.empty();
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

void SettingsController::checkSetup(platform::NibObject*) {
  auto findings = setup::checkSetup(tickIntervals_ ? tickIntervals_() : std::vector<double>());
  checked_ = true;
  std::string text;
  for (const auto& finding : findings) {
    platform::current().log().reportSetupFinding(finding);
    text += (text.empty() ? "" : "\n") + setup::findingText(finding);
  }
  showSetupText(text);
}

void SettingsController::showSetupText(const std::string& text) {
  noticeShown_ = false;
  auto results = setupResults();
  auto w = window();
  if (!results || !w) return;
  results->setStringValue(text);
  if (!loadedHeight_) loadedHeight_ = w->frame().size.height;
  std::size_t lines = text.empty() ? 0 : 1 + std::count(text.begin(), text.end(), '\n');
  auto frame = frameForSetupText(w->frame(), *loadedHeight_, lines, w->screenFrame());
  if (frame != w->frame()) w->setFrame(frame);
}

bool SettingsController::performAction(const std::string& selector, platform::NibObject* sender) {
  if (selector == "accessibility:") {
    accessibility(sender);
    return true;
  }
  if (selector == "checkSetup:") {
    checkSetup(sender);
    return true;
  }
  return false;
}

bool SettingsController::connectOutlet(const std::string& name,
                                       std::shared_ptr<platform::NibObject> object) {
  if (name == "accesibilityBtn") {
    auto button = std::dynamic_pointer_cast<platform::Button>(object);
    if (!button) return false;
    setAccesibilityBtn(button);
    return true;
  }
  if (name == "setupResults") {
    auto text = std::dynamic_pointer_cast<platform::TextField>(object);
    if (!text) return false;
    _setupResults = text;
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
