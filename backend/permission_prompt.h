// "Request Access" on macOS: the system shows its Accessibility prompt once
// per app; after the user dismissed it ("Deny"), asking again shows
// nothing. So whenever the prompt is asked for and the process is still
// not trusted, System Settings opens at the list where the user switches
// the app on.
#pragma once

namespace backend {

inline constexpr const char* kAccessibilitySettingsURL =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility";

// After a trust check: whether to open kAccessibilitySettingsURL too.
bool opensAccessibilitySettings(bool prompted, bool trusted);

}  // namespace backend
