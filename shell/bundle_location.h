// Where the running bundle lives, and what that means for the user. An app
// opened from a quarantined download runs from a read-only copy that macOS
// made under .../AppTranslocation/... (App Translocation) and removes after
// the next login: launch at login would record a path that is soon gone,
// and the user must move the app to Applications.
#pragma once

#include <optional>
#include <string>

namespace location {

enum class BundleLocation {
  Applications,      // /Applications/...
  UserApplications,  // /Users/NAME/Applications/...
  Translocated,      // a read-only copy under AppTranslocation
  Elsewhere,         // any other folder: works, but not where apps belong
};

// `systemSays` is the system's own answer when it has one; without it the
// path decides: a folder named "AppTranslocation" on the path is the copy.
BundleLocation bundleLocation(const std::string& bundlePath, std::optional<bool> systemSays);

// The running bundle's location, asked of the platform.
BundleLocation currentBundleLocation();

// What the agent says at launch from a translocated copy, and why it does
// not register such a path to launch at login.
std::string translocatedNotice();
std::string loginRefusedNotice();

}  // namespace location
