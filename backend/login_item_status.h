// Launch at login through the system's login-item service (SMAppService on
// macOS 13 and later): the service knows only the status of the app's own
// registration. The login items are then presented as a list that holds the
// app's bundle URL exactly while it is registered, and observers hear of a
// change whenever the status is seen to change, whoever changed it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace backend {

// SMAppServiceStatus, by its values.
enum class ServiceStatus { NotRegistered = 0, Enabled = 1, RequiresApproval = 2, NotFound = 3 };

// Registered: enabled, or waiting for the user's approval in System Settings.
bool isRegistered(ServiceStatus status);
// An unknown raw value counts as not found.
ServiceStatus serviceStatusFromRaw(long raw);
// The list the agent sees for that status: the bundle URL alone, or nothing.
std::vector<std::string> listedItems(ServiceStatus status, const std::string& bundleURL);

// What to ask of the service to make the list hold (or not hold) the URL:
// nothing when it already does.
enum class ServiceRequest { None, Register, Unregister };
ServiceRequest requestFor(ServiceStatus status, bool wantListed);

// Remembers the last status seen; a status read later tells whether the
// list changed in between.
class StatusWatch {
 public:
  explicit StatusWatch(ServiceStatus initial) : last_(initial) {}
  // True when the registration changed since the last status seen.
  bool update(ServiceStatus now);
  ServiceStatus last() const { return last_; }

 private:
  ServiceStatus last_;
};

}  // namespace backend
