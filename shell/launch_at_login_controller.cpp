#include "shell/launch_at_login_controller.h"

#include "shell/bundle_location.h"

namespace {
constexpr const char* kLaunchAtLoginKey = "launchAtLogin";
constexpr unsigned kResolutionFlags = platform::kLSSharedFileListNoUserUIDuringResolution |
                                      platform::kLSSharedFileListDoNotMountVolumes;
}  // namespace

LaunchAtLoginController::LaunchAtLoginController() {
  // Whether the list opened is not tested: without it every lookup answers
  // none, so launchAtLogin reads false.
  loginItems_ = platform::current().loginItems().createSessionLoginItems();
  if (loginItems_)
    loginItems_->addObserver(platform::RunLoopMode::Default, loginItemsChanged, this);
}

LaunchAtLoginController::~LaunchAtLoginController() {
  // Stop observing before the list goes, so no change reaches a dead controller.
  if (loginItems_)
    loginItems_->removeObserver(platform::RunLoopMode::Default, loginItemsChanged, this);
  loginItems_.reset();
}

std::shared_ptr<const platform::LoginItem> LaunchAtLoginController::findItemWithURL(
    const std::string& url, platform::LoginItemList* fileList) {
  if (url.empty() || !fileList) return nullptr;
  for (const auto& item : fileList->copySnapshot()) {
    auto resolved = item->copyResolvedURL(kResolutionFlags);
    if (!resolved) continue;
    if (*resolved == url) return item;
  }
  return nullptr;
}

bool LaunchAtLoginController::willLaunchAtLogin(const std::string& url) {
  return findItemWithURL(url, loginItems_.get()) != nullptr;
}

void LaunchAtLoginController::setLaunchAtLogin(bool enabled, const std::string& url) {
  auto item = findItemWithURL(url, loginItems_.get());
  if (enabled && !item && loginItems_)
    loginItems_->insertItemURL(platform::LoginItemPosition::BeforeFirst, url);
  else if (!enabled && item)
    loginItems_->removeItem(*item);
}

std::string LaunchAtLoginController::appURL() {
  return platform::fileURLWithPath(platform::current().bundle().bundlePath(), true);
}

void LaunchAtLoginController::setLaunchAtLogin(bool enabled) {
  auto& kvo = platform::current().keyValueObserving();
  kvo.willChangeValueForKey(this, kLaunchAtLoginKey);
  // A temporary copy's path is gone after the next login: registering it
  // would launch nothing. The change is still announced, so the checkbox
  // goes back to what the list holds.
  if (enabled && location::currentBundleLocation() == location::BundleLocation::Translocated)
    platform::current().log().log(location::loginRefusedNotice());
  else
    setLaunchAtLogin(enabled, appURL());
  kvo.didChangeValueForKey(this, kLaunchAtLoginKey);
}

bool LaunchAtLoginController::launchAtLogin() { return willLaunchAtLogin(appURL()); }

bool LaunchAtLoginController::valueForKey(const std::string& key, platform::PrefValue* value) {
  if (key != kLaunchAtLoginKey) return false;
  *value = launchAtLogin();
  return true;
}

bool LaunchAtLoginController::setValueForKey(const std::string& key,
                                             const platform::PrefValue& value) {
  if (key != kLaunchAtLoginKey) return false;
  // Bindings hand over whatever the control holds; anything non-zero is on.
  bool enabled = std::visit(
      [](const auto& v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::string>)
          return !v.empty();
        else
          return v != T{};
      },
      value);
  setLaunchAtLogin(enabled);
  return true;
}

void loginItemsChanged(platform::LoginItemList*, void* context) {
  auto* controller = static_cast<LaunchAtLoginController*>(context);
  auto& kvo = platform::current().keyValueObserving();
  kvo.willChangeValueForKey(controller, kLaunchAtLoginKey);
  kvo.didChangeValueForKey(controller, kLaunchAtLoginKey);
}
