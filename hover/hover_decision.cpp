#include "app/app_delegate.h"
#include "app/preferences.h"
#include "axutil/ui_element_utilities.h"
#include "hover/dock_names.h"
#include "hover/messaging_timeouts.h"

using platform::Ref;

namespace {

bool isString(const Ref<platform::Object>& value, const char* text) {
  auto* s = platform::as<platform::String>(value.get());
  return s && s->str() == text;
}

std::optional<std::string> stringValue(const Ref<platform::Object>& value) {
  auto* s = platform::as<platform::String>(value.get());
  return s ? std::optional<std::string>(s->str()) : std::nullopt;
}

// NSNumber boolValue of "AXIsApplicationRunning"; missing counts as false.
bool isTrue(const Ref<platform::Object>& value) {
  if (auto* b = platform::as<platform::Boolean>(value.get())) return b->value();
  if (auto* n = platform::as<platform::Number>(value.get())) return n->doubleValue() != 0;
  return false;
}

}  // namespace

void AppDelegate::hitTestAtMouseLocation() {
  using Ask = hover::HitTestBackoff::Ask;
  _elementUnderCursor.reset();
  auto& p = platform::current();
  const double now = p.runLoop().currentTime();
  const Ask ask = _hitTestBackoff.before(_mouseLocation, now);
  if (ask == Ask::Skip) {
    // The owner of this point has not answered: as if asked, and found nothing.
    _accessibilityErrorCode = platform::kAXErrorCannotComplete;
    return;
  }
  auto& ax = p.accessibility();
  const platform::UIElement* root = _systemWideAccessibilityObject.get();
  auto carbon = UIElementUtilities::carbonScreenPointFromCocoaScreenPoint(_mouseLocation);
  if (ask == Ask::Probe) ax.setMessagingTimeout(root, hover::kProbeMessagingTimeout);
  Ref<platform::UIElement> found;
  _accessibilityErrorCode = ax.copyElementAtPosition(root, static_cast<float>(carbon.x),
                                                     static_cast<float>(carbon.y), &found);
  if (ask == Ask::Probe) ax.setMessagingTimeout(root, hover::kDefaultMessagingTimeout);
  _hitTestBackoff.after(_mouseLocation, now, _accessibilityErrorCode);
  _elementUnderCursor = std::move(found);
}

bool AppDelegate::isMouseInDock() {
  _mouseLocation = platform::current().events().mouseLocation();
  hitTestAtMouseLocation();
  return isString(
      UIElementUtilities::valueOfAttribute(platform::kAXRoleAttribute, _elementUnderCursor.get()),
      dock::kDockItemRole);
}

void AppDelegate::scheduleRequest(const char* selector, double delay) {
  std::string name = selector;
  platform::current().runLoop().performAfterDelay(this, name, delay, [this, name] {
    const double start = platform::current().runLoop().currentTime();
    if (name == dock::kShowAppExposeSelector)
      showAppExpose();
    else
      clickStackItem();
    noteWaitSince(start);
  });
}

void AppDelegate::checkMouse() {
  auto& p = platform::current();
  _mouseLocation = p.events().mouseLocation();
  if (!isMouseInDock()) return;
  if (_lastMouseLocation && platform::equalPoints(_mouseLocation, *_lastMouseLocation)) return;

  hitTestAtMouseLocation();
  const platform::UIElement* item = _elementUnderCursor.get();
  if (UIElementUtilities::valueOfAttribute(dock::kShownMenuAttribute, item)) {
    p.runLoop().cancelPreviousPerformRequests(this);
    return;
  }

  auto title = stringValue(UIElementUtilities::valueOfAttribute(platform::kAXTitleAttribute, item));
  auto subrole = UIElementUtilities::valueOfAttribute(platform::kAXSubroleAttribute, item);

  if (isString(subrole, dock::kApplicationDockItemSubrole)) {
    bool running =
        isTrue(UIElementUtilities::valueOfAttribute(dock::kIsApplicationRunningAttribute, item));
    if (!running) hidePreview();
    // A missing title never equals the last one.
    bool newTitle = !title || title != _lastTitle;
    if (running && newTitle && UIElementUtilities::processIdentifierOfUIElement(item) != 0) {
      auto verdict = prefs::modifierVerdict(_modKey, p.events().modifierFlags());
      if (verdict == prefs::ModifierVerdict::NotHeld) return;
      if (verdict == prefs::ModifierVerdict::Schedule)
        scheduleRequest(dock::kShowAppExposeSelector,
                        isAppExposVisible() ? 0.0 : static_cast<double>(_delay));
    }
    _lastTitle = title;
    _lastMouseLocation = _mouseLocation;
    return;
  }

  // The last position goes with the title: a pointer coming back to the
  // application point it left would otherwise end at the pointer-unchanged
  // test and never see the reset title. The branches below that record a
  // position set it again; a stack evaluation that records none leaves none.
  _lastTitle = "";
  _lastMouseLocation.reset();
  if (isString(subrole, dock::kFolderDockItemSubrole) ||
      isString(subrole, dock::kTrashDockItemSubrole)) {
    hidePreview();
    if (!_defaults->boolForKey(prefs::kActivateStackOnHover)) return;
    auto verdict = prefs::modifierVerdict(_modKey, p.events().modifierFlags());
    if (verdict == prefs::ModifierVerdict::NotHeld) return;
    if (verdict == prefs::ModifierVerdict::Schedule)
      scheduleRequest(dock::kClickStackItemSelector, static_cast<double>(_delay));
    hidePreview();
    _lastMouseLocation = _mouseLocation;
    return;
  }

  hidePreview();
  _lastMouseLocation = _mouseLocation;
}
