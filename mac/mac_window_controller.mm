// NSWindowController belongs to the platform's framework: this backend
// supplies it, as the simulated desktop does its own.
#include "platform/appkit.h"
#include "platform/platform.h"

namespace platform {

std::shared_ptr<Window> WindowController::window() {
  if (!loaded_) {
    loaded_ = true;
    window_ = current().appKit().loadNib(nibName_, owner_ ? owner_ : this).window;
    if (window_) windowDidLoad();
  }
  return window_;
}

void WindowController::showWindow(NibObject*) {
  if (auto w = window()) w->makeKeyAndOrderFront();
}

}  // namespace platform
