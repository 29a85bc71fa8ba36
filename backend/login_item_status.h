// Launch at login through the system's login-item service (SMAppService on
// macOS 13 and later): the service knows only the status of the app's own
// registration. The login items are then presented as a list that holds the
// app's bundle URL exactly while it is enabled, and observers hear of a
// change whenever the status is seen to change, whoever changed it.
//
// A registration that waits for the user's approval in System Settings does
// not launch the app at login, so it is not listed: the checkbox shows off,
// and ticking it sends the user to System Settings › General › Login Items,
// where the approval is given.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace backend {

// SMAppServiceStatus, by its values.
enum class ServiceStatus { NotRegistered = 0, Enabled = 1, RequiresApproval = 2, NotFound = 3 };

// Registered: enabled, or waiting for the user's approval in System Settings.
bool isRegistered(ServiceStatus status);
// Listed: the app will launch at login.
bool isListed(ServiceStatus status);
// Registered, yet waiting for the user's approval in System Settings.
bool awaitsApproval(ServiceStatus status);
// An unknown raw value counts as not found.
ServiceStatus serviceStatusFromRaw(long raw);
// The list the agent sees for that status: the bundle URL alone, or nothing.
std::vector<std::string> listedItems(ServiceStatus status, const std::string& bundleURL);

// What to do to make the list hold (or not hold) the URL: nothing when it
// already does; register or unregister with the service; or, for a
// registration that waits for approval (registering again is refused), let
// the user approve it in System Settings.
enum class ServiceRequest { None, Register, Unregister, OpenSettings };
ServiceRequest requestFor(ServiceStatus status, bool wantListed);

// After asking to register: whether the user must still act in System
// Settings, because registering failed or the registration waits for
// approval.
bool needsUserAfterRegistering(bool registered, ServiceStatus now);

// Remembers the last status seen; a status read later tells whether the
// list changed in between.
class StatusWatch {
 public:
  explicit StatusWatch(ServiceStatus initial) : last_(initial) {}
  // True when the list changed since the last status seen.
  bool update(ServiceStatus now);
  ServiceStatus last() const { return last_; }

 private:
  ServiceStatus last_;
};

}  // namespace backend
