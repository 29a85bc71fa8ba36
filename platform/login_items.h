// The user's login-items list (shared file list of session login items).
#pragma once

namespace platform {

class LoginItems {
 public:
  virtual ~LoginItems() = default;
};

}  // namespace platform
