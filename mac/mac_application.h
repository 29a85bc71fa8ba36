// The application on AppKit: NSApplication as an accessory (no Dock icon),
// the main interface file and its delegate, the run loop, and the actions
// the application object itself answers. Beside the agent's delegate, our
// NSApplicationDelegate shows the settings window at a second launch of
// the running app, and a main menu, never shown, gives the key window
// Close (⌘W) and Quit (⌘Q).
#pragma once

#include <memory>
#include <string>

#include "platform/application.h"

namespace mac {

class MacApplication final : public platform::Application {
 public:
  MacApplication();
  ~MacApplication() override;
  MacApplication(const MacApplication&) = delete;
  MacApplication& operator=(const MacApplication&) = delete;

  // Loads MainMenu.ui from the bundle's resources; a faulty file is
  // reported ("FILE:LINE: message") to the log and standard error and
  // gives 1. Otherwise runs the application until it terminates.
  int applicationMain(int argc, char** argv) override;
  void activateIgnoringOtherApps(bool flag) override;
  void orderFrontStandardAboutPanel(platform::NibObject* sender) override;
  void terminate(platform::NibObject* sender) override;

  // Null until the main interface is loaded.
  platform::ApplicationDelegate* delegate() const;

 private:
  struct Launch;  // the main interface's objects and our NSApplicationDelegate
  std::unique_ptr<Launch> launch_;
};

// The running application.
MacApplication& currentApplication();

// Delivers an action that has no target along the responder chain
// (backend/responder_chain.h). False when nobody responds.
bool sendActionAlongResponderChain(const std::string& selector, platform::NibObject* sender);

}  // namespace mac
