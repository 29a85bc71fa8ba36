// The application bundle: its information dictionary and resources.
#pragma once

namespace platform {

class Bundle {
 public:
  virtual ~Bundle() = default;
};

}  // namespace platform
