#include "app/app_delegate.h"
#include "axutil/ui_element_utilities.h"
#include "hover/dock_names.h"
#include "hover/messaging_timeouts.h"

using platform::Ref;

namespace {
constexpr const char* kNoDockElementMessage = "Error: cannot create AXUIElementRef for Dock";
constexpr const char* kNoDockChildrenMessage = "Error: cannot get Dock children UI elements";
}  // namespace

void AppDelegate::showAppExpose() {
  // Acts on the latest hit test, which may be newer than the one that
  // scheduled this request. The Dock answers an action once it is done.
  const platform::UIElement* item = _elementUnderCursor.get();
  if (item)
    platform::current().accessibility().setMessagingTimeout(item, hover::kDockMessagingTimeout);
  UIElementUtilities::performAction(dock::kShowExposeAction, item);
}

bool AppDelegate::clickStackItem() {
  if (!isMouseInDock()) return false;
  auto& runLoop = platform::current().runLoop();
  runLoop.cancelPreviousPerformRequests(this, dock::kShowAppExposeSelector);
  runLoop.cancelPreviousPerformRequests(this, dock::kClickStackItemSelector);

  _mouseLocation = platform::current().events().mouseLocation();
  hitTestAtMouseLocation();
  const platform::UIElement* item = _elementUnderCursor.get();
  if (UIElementUtilities::valueOfAttribute(dock::kShownMenuAttribute, item)) {
    runLoop.cancelPreviousPerformRequests(this);
    return false;
  }
  // Only a folder or Trash stack is pressed: pressing an application's item
  // would launch or activate it, which no hover or right-click should do.
  auto subrole = UIElementUtilities::valueOfAttribute(platform::kAXSubroleAttribute, item);
  auto* s = platform::as<platform::String>(subrole.get());
  if (s && (s->str() == dock::kFolderDockItemSubrole || s->str() == dock::kTrashDockItemSubrole)) {
    platform::current().accessibility().setMessagingTimeout(item, hover::kDockMessagingTimeout);
    UIElementUtilities::performAction(dock::kPressAction, item);
  }
  return false;
}

void AppDelegate::hidePreview() {
  if (!isMissionControlVisible() && !isAppExposVisible()) return;
  auto& p = platform::current();
  auto docks = p.workspace().runningApplicationsWithBundleIdentifier(dock::kDockBundleIdentifier);
  // The Dock may have quit since the checks; then there is no one to tell.
  if (docks.empty()) return;
  auto escape = p.events().createKeyboardEvent(platform::kVKEscape, true);
  if (escape) p.events().postToPid(docks.front().processIdentifier, *escape);
}

bool AppDelegate::isMissionControlVisible() {
  return isDockShowing(dock::kMissionControlIdentifier, true);
}

bool AppDelegate::isAppExposVisible() { return isDockShowing(dock::kAppExposeIdentifier, false); }

bool AppDelegate::isDockShowing(const char* identifier, bool logFailures) {
  auto& p = platform::current();
  auto dockApp = appWithBundleID(dock::kDockBundleIdentifier);
  if (!dockApp) return false;
  auto& ax = p.accessibility();
  Ref<platform::UIElement> dockElement = ax.createApplication(dockApp->processIdentifier);
  if (!dockElement) {
    if (logFailures) p.log().log(kNoDockElementMessage);
    return false;
  }
  ax.setMessagingTimeout(dockElement.get(), hover::kDockMessagingTimeout);
  Ref<platform::Object> childrenValue;
  auto* children = (ax.copyAttributeValue(dockElement.get(), platform::kAXChildrenAttribute,
                                          &childrenValue) == platform::kAXErrorSuccess)
                       ? platform::as<platform::Array>(childrenValue.get())
                       : nullptr;
  if (!children) {
    if (logFailures) p.log().log(kNoDockChildrenMessage);
    return false;
  }
  for (std::size_t i = 0; i < children->count(); ++i) {
    auto* child = platform::as<platform::UIElement>(children->at(i));
    Ref<platform::Object> value;
    if (ax.copyAttributeValue(child, platform::kAXIdentifierAttribute, &value) !=
        platform::kAXErrorSuccess)
      continue;
    auto* id = platform::as<platform::String>(value.get());
    if (id && id->str() == identifier) return true;
  }
  return false;
}

std::optional<platform::RunningApplication> AppDelegate::appWithBundleID(
    const std::string& bundleID) {
  for (auto& app : platform::current().workspace().runningApplications())
    if (app.bundleIdentifier && *app.bundleIdentifier == bundleID) return app;
  return std::nullopt;
}

std::optional<platform::RunningApplication> AppDelegate::getRunningApplicationByURL(
    const std::string& url) {
  for (auto& app : platform::current().workspace().runningApplications())
    if (app.bundleURL && *app.bundleURL == url) return app;
  return std::nullopt;
}

pid_t AppDelegate::getProcessIdentifierByURL(const std::string& url) {
  auto app = getRunningApplicationByURL(url);
  return app ? app->processIdentifier : -1;
}
