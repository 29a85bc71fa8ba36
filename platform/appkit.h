// AppKit services beyond the run loop: the application object, windows and
// window controllers, controls, the status bar and menus.
#pragma once

namespace platform {

class AppKit {
 public:
  virtual ~AppKit() = default;
};

}  // namespace platform
