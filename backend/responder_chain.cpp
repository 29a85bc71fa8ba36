#include "backend/responder_chain.h"

namespace backend {

bool sendAlongResponderChain(platform::Application& app, platform::ApplicationDelegate* delegate,
                             const std::string& selector, platform::NibObject* sender) {
  if (selector == "terminate:") {
    app.terminate(sender);
    return true;
  }
  if (selector == "orderFrontStandardAboutPanel:") {
    app.orderFrontStandardAboutPanel(sender);
    return true;
  }
  return delegate && delegate->performAction(selector, sender);
}

bool sendMenuItemAction(platform::MenuItem& item, platform::Application& app,
                        platform::ApplicationDelegate* delegate) {
  if (platform::NibObject* target = item.target())
    return target->performAction(item.action(), &item);
  return sendAlongResponderChain(app, delegate, item.action(), &item);
}

}  // namespace backend
