// The software-update framework's shared updater.
#pragma once

namespace platform {

class Updater {
 public:
  virtual ~Updater() = default;
};

}  // namespace platform
