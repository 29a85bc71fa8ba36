#include "shell/bundle_location.h"

#include "platform/platform.h"

namespace location {

namespace {

bool startsWith(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

bool hasFolder(const std::string& path, const std::string& name) {
  return path.find("/" + name + "/") != std::string::npos;
}

// /Users/NAME/Applications/..., NAME one folder.
bool inUserApplications(const std::string& path) {
  const std::string users = "/Users/";
  if (!startsWith(path, users)) return false;
  std::size_t slash = path.find('/', users.size());
  return slash != std::string::npos && slash > users.size() &&
         startsWith(path.substr(slash), "/Applications/");
}

}  // namespace

BundleLocation bundleLocation(const std::string& bundlePath, std::optional<bool> systemSays) {
  if (systemSays.value_or(hasFolder(bundlePath, "AppTranslocation")))
    return BundleLocation::Translocated;
  if (startsWith(bundlePath, "/Applications/")) return BundleLocation::Applications;
  if (inUserApplications(bundlePath)) return BundleLocation::UserApplications;
  return BundleLocation::Elsewhere;
}

BundleLocation currentBundleLocation() {
  auto& bundle = platform::current().bundle();
  return bundleLocation(bundle.bundlePath(), bundle.isTranslocated());
}

std::string translocatedNotice() {
  return "Vistrel runs from a temporary copy that macOS made because it was opened from a "
         "download; the copy is gone after the next login. Quit Vistrel, move it to the "
         "Applications folder and open it from there.";
}

std::string loginRefusedNotice() {
  return "Launch at login is not set: Vistrel runs from a temporary copy that macOS removes "
         "after the next login. Move Vistrel to the Applications folder first.";
}

}  // namespace location
