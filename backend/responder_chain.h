// Where an action goes when it is sent: to its target when it has one,
// else along the responder chain, which the agent's windows never join:
// the application answers terminate: and orderFrontStandardAboutPanel:
// itself, then its delegate gets the action. Both desktops send menu
// entries' and reopen actions this way.
#pragma once

#include <string>

#include "platform/appkit.h"
#include "platform/application.h"

namespace backend {

// False when nobody responds.
bool sendAlongResponderChain(platform::Application& app, platform::ApplicationDelegate* delegate,
                             const std::string& selector, platform::NibObject* sender);

// A menu entry chosen: its target, read now, takes its action; without a
// target the action goes along the responder chain. False when nobody
// responds.
bool sendMenuItemAction(platform::MenuItem& item, platform::Application& app,
                        platform::ApplicationDelegate* delegate);

}  // namespace backend
