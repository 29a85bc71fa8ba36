#include "backend/login_item_status.h"

namespace backend {

bool isRegistered(ServiceStatus status) {
  return status == ServiceStatus::Enabled || status == ServiceStatus::RequiresApproval;
}

bool awaitsApproval(ServiceStatus status) { return status == ServiceStatus::RequiresApproval; }

bool isListed(ServiceStatus status) { return status == ServiceStatus::Enabled; }

ServiceStatus serviceStatusFromRaw(long raw) {
  switch (raw) {
    case 0: return ServiceStatus::NotRegistered;
    case 1: return ServiceStatus::Enabled;
    case 2: return ServiceStatus::RequiresApproval;
    default: return ServiceStatus::NotFound;
  }
}

std::vector<std::string> listedItems(ServiceStatus status, const std::string& bundleURL) {
  if (isListed(status)) return {bundleURL};
  return {};
}

ServiceRequest requestFor(ServiceStatus status, bool wantListed) {
  if (wantListed) {
    if (isListed(status)) return ServiceRequest::None;
    return status == ServiceStatus::RequiresApproval ? ServiceRequest::OpenSettings
                                                     : ServiceRequest::Register;
  }
  // A registration waiting for approval goes too: unticked means off.
  return isRegistered(status) ? ServiceRequest::Unregister : ServiceRequest::None;
}

bool needsUserAfterRegistering(bool registered, ServiceStatus now) {
  return !registered || now == ServiceStatus::RequiresApproval;
}

bool StatusWatch::update(ServiceStatus now) {
  bool changed = isListed(now) != isListed(last_);
  last_ = now;
  return changed;
}

}  // namespace backend
