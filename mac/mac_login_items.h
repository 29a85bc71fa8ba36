// The user's login items behind platform::LoginItems.
//
// On macOS 13 and later the system keeps login items through SMAppService,
// which knows only the app's own registration: the list is then the app's
// bundle URL while it is enabled, and nothing otherwise (a registration
// waiting for the user's approval is off). Asking for it in that state, or
// when registering fails, opens System Settings › General › Login Items;
// every refusal of the service is logged with its error.
//
// On macOS 11 and 12 it is the shared file list of session login items; an
// entry that names the running bundle's file, however the system spells
// its URL, resolves to the URL the agent makes of the bundle's path.
#pragma once

#include <memory>

#include "platform/login_items.h"

namespace mac {

class MacLoginItems final : public platform::LoginItems {
 public:
  std::shared_ptr<platform::LoginItemList> createSessionLoginItems() override;
  // SMAppService's status on macOS 13 and later; earlier systems ask for
  // no approval.
  bool awaitsApproval() override;
  // A timer that asks the lists to look at the status (mac_login_status.mm).
  void watchStatus() override;
  void stopWatchingStatus() override;
};

// Posted to the default notification centre while the status is watched:
// the lists of macOS 13 and later look at the service's status then.
inline constexpr const char* kLoginItemStatusCheckNotification = "VSLoginItemStatusCheck";

}  // namespace mac
