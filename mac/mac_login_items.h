// The user's login items behind platform::LoginItems.
//
// On macOS 13 and later the system keeps login items through SMAppService,
// which knows only the app's own registration: the list is then the app's
// bundle URL while it is registered, and nothing otherwise. On macOS 11 and
// 12 it is the shared file list of session login items.
#pragma once

#include <memory>

#include "platform/login_items.h"

namespace mac {

class MacLoginItems final : public platform::LoginItems {
 public:
  std::shared_ptr<platform::LoginItemList> createSessionLoginItems() override;
};

}  // namespace mac
