#include "sim/services/sim_application.h"

#include <cmath>
#include <iostream>

#include "backend/interface_builder.h"
#include "backend/responder_chain.h"
#include "platform/platform.h"
#include "sim/services/sim_appkit.h"

namespace sim {

SimApplication::~SimApplication() = default;

bool SimApplication::loadMainInterface() {
  try {
    auto main =
        backend::instantiateMainInterface(backend::loadInterfaceFile(ctx_.resourceDir, "MainMenu"));
    delegate_ = main.delegate;
    topLevelObjects_ = std::move(main.objects);
    return true;
  } catch (const backend::InterfaceError& e) {
    std::cerr << e.what() << "\n";
    return false;
  }
}

int SimApplication::applicationMain(int, char**) {
  if (!loadMainInterface()) {
    ctx_.stopRequested = true;
    return 1;
  }
  delegate_->applicationDidFinishLaunching();
  runMainLoop_();
  return 0;
}

void SimApplication::activateIgnoringOtherApps(bool) { ctx_.trace.appActivate(); }

void SimApplication::orderFrontStandardAboutPanel(platform::NibObject*) {
  ctx_.trace.appAbout();
  // One panel for the life of the process, made centred on the main screen.
  if (!aboutPanel_) {
    auto& appKit = static_cast<SimAppKit&>(platform::current().appKit());
    const platform::Rect& screen = ctx_.world.screens.front();
    platform::Size size{284, 188};
    aboutPanel_ = appKit.makeWindow(
        "About", {{screen.minX() + std::floor((screen.size.width - size.width) / 2),
                   screen.minY() + std::floor((screen.size.height - size.height) / 2)},
                  size});
  }
  aboutPanel_->makeKeyAndOrderFront();
}

void SimApplication::terminate(platform::NibObject*) {
  ctx_.trace.appQuit();
  ctx_.stopRequested = true;
}

bool SimApplication::sendAction(const std::string& selector, platform::NibObject* sender) {
  return backend::sendAlongResponderChain(*this, delegate_, selector, sender);
}

}  // namespace sim
