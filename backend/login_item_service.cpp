#include "backend/login_item_service.h"

namespace backend {

bool listApp(LoginItemService& service, Trace& trace, const std::string& url, bool first) {
  switch (requestFor(service.status(), true)) {
    case ServiceRequest::None:
    case ServiceRequest::Unregister: return true;
    case ServiceRequest::OpenSettings:
      // Registered, waiting for the user: only System Settings can approve it.
      service.openSettings();
      return false;
    case ServiceRequest::Register: break;
  }
  std::string error;
  const bool registered = service.registerApp(&error);
  if (registered)
    trace.loginItemsInsert(url, first);
  else
    service.log("Launch at login: registering with the login items failed: " + error);
  service.statusMayHaveChanged();
  const ServiceStatus now = service.status();
  if (needsUserAfterRegistering(registered, now)) service.openSettings();
  return isListed(now);
}

bool unlistApp(LoginItemService& service, Trace& trace, const std::string& url) {
  if (requestFor(service.status(), false) != ServiceRequest::Unregister) return false;
  std::string error;
  if (!service.unregisterApp(&error)) {
    service.log("Launch at login: unregistering from the login items failed: " + error);
    return false;
  }
  trace.loginItemsRemove(url);
  service.statusMayHaveChanged();
  return true;
}

}  // namespace backend
