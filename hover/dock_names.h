// Names the Dock uses for its items, actions and what it shows.
#pragma once

namespace dock {

inline constexpr const char* kDockBundleIdentifier = "com.apple.dock";
inline constexpr const char* kDockItemRole = "AXDockItem";
inline constexpr const char* kApplicationDockItemSubrole = "AXApplicationDockItem";
inline constexpr const char* kFolderDockItemSubrole = "AXFolderDockItem";
inline constexpr const char* kTrashDockItemSubrole = "AXTrashDockItem";
inline constexpr const char* kMinimizedWindowDockItemSubrole = "AXMinimizedWindowDockItem";
inline constexpr const char* kShownMenuAttribute = "AXShownMenuUIElement";
inline constexpr const char* kIsApplicationRunningAttribute = "AXIsApplicationRunning";
inline constexpr const char* kShowExposeAction = "AXShowExpose";
inline constexpr const char* kPressAction = "AXPress";
inline constexpr const char* kMissionControlIdentifier = "mc";
inline constexpr const char* kAppExposeIdentifier = "appexpose";

inline constexpr const char* kShowAppExposeSelector = "showAppExpose";
inline constexpr const char* kClickStackItemSelector = "clickStackItem";

}  // namespace dock
