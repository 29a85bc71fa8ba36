// The main menu of the agent on macOS. An agent shows no menu bar, yet
// AppKit still looks up key equivalents in its main menu while one of its
// windows is key: without one, ⌘W and ⌘Q do nothing in the settings window.
#pragma once

#include <string>
#include <vector>

namespace backend {

struct MainMenuItem {
  std::string title;
  std::string action;         // an AppKit selector, sent along the responder chain
  std::string keyEquivalent;  // with ⌘
};

struct MainMenu {
  std::string title;
  std::vector<MainMenuItem> items;
};

// The application menu (Quit, ⌘Q) and the Window menu (Close, ⌘W) for the
// application called `appName`.
std::vector<MainMenu> standardMainMenu(const std::string& appName);

// What a second launch of the running app (from the Finder, or `open`)
// does: the status menu's "Preferences..." command.
inline constexpr const char* kReopenAction = "showPrefsPanel:";

}  // namespace backend
