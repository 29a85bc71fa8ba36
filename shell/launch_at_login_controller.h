// LaunchAtLoginController: the user's login-items list seen as one observable
// boolean, "launchAtLogin", true exactly when the running application bundle
// is in the list. The list is the only state: every read looks it up afresh,
// and every change of it, by us or by another program, is announced.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

class LaunchAtLoginController final : public platform::NibObject {
 public:
  LaunchAtLoginController();
  ~LaunchAtLoginController() override;
  LaunchAtLoginController(const LaunchAtLoginController&) = delete;
  LaunchAtLoginController& operator=(const LaunchAtLoginController&) = delete;

  // The list item whose resolved URL equals `url` exactly, or null. Items
  // that cannot be resolved without asking the user or mounting a volume are
  // skipped.
  std::shared_ptr<const platform::LoginItem> findItemWithURL(const std::string& url,
                                                             platform::LoginItemList* fileList);
  bool willLaunchAtLogin(const std::string& url);
  // Makes the URL's presence in the list match `enabled`; never duplicates.
  void setLaunchAtLogin(bool enabled, const std::string& url);
  // The running bundle's file URL, computed anew so a moved app is found.
  std::string appURL();

  // The observable property.
  void setLaunchAtLogin(bool enabled);
  bool launchAtLogin();

  platform::LoginItemList* loginItems() const { return loginItems_.get(); }
  void setLoginItems(std::shared_ptr<platform::LoginItemList> list) {
    loginItems_ = std::move(list);
  }

  bool valueForKey(const std::string& key, platform::PrefValue* value) override;
  bool setValueForKey(const std::string& key, const platform::PrefValue& value) override;

 private:
  std::shared_ptr<platform::LoginItemList> loginItems_;
};

// The list's change observer; `context` is the controller (not retained).
void loginItemsChanged(platform::LoginItemList* list, void* context);
