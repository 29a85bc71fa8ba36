#include "backend/login_item_status.h"

namespace backend {

bool isRegistered(ServiceStatus status) {
  return status == ServiceStatus::Enabled || status == ServiceStatus::RequiresApproval;
}

ServiceStatus serviceStatusFromRaw(long raw) {
  switch (raw) {
    case 0: return ServiceStatus::NotRegistered;
    case 1: return ServiceStatus::Enabled;
    case 2: return ServiceStatus::RequiresApproval;
    default: return ServiceStatus::NotFound;
  }
}

std::vector<std::string> listedItems(ServiceStatus status, const std::string& bundleURL) {
  if (isRegistered(status)) return {bundleURL};
  return {};
}

ServiceRequest requestFor(ServiceStatus status, bool wantListed) {
  if (wantListed == isRegistered(status)) return ServiceRequest::None;
  return wantListed ? ServiceRequest::Register : ServiceRequest::Unregister;
}

bool StatusWatch::update(ServiceStatus now) {
  bool changed = isRegistered(now) != isRegistered(last_);
  last_ = now;
  return changed;
}

}  // namespace backend
