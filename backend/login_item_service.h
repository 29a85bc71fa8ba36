// Listing and unlisting the app through the system's login-item service
// (see login_item_status.h): the requests made for each status, what the
// trace and the log say, and that observers hear of every request that
// may have changed the status.
#pragma once

#include <string>

#include "backend/login_item_status.h"
#include "backend/trace.h"

namespace backend {

// The service, one platform call each.
class LoginItemService {
 public:
  virtual ~LoginItemService() = default;
  virtual ServiceStatus status() = 0;
  // False when the service refuses, with its reason.
  virtual bool registerApp(std::string* error) = 0;
  virtual bool unregisterApp(std::string* error) = 0;
  // System Settings at the login items, where only the user can approve.
  virtual void openSettings() = 0;
  virtual void log(const std::string& line) = 0;
  // After a request: observers hear of it if the status changed.
  virtual void statusMayHaveChanged() = 0;
};

// Makes the app launch at login; true when it will. `url` and `first` are
// what the trace shows of the insertion.
bool listApp(LoginItemService& service, Trace& trace, const std::string& url, bool first);
// Ends the app's registration, also one that waits for approval; true when
// it was registered and now is not.
bool unlistApp(LoginItemService& service, Trace& trace, const std::string& url);

}  // namespace backend
