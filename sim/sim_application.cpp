#include "sim/sim_application.h"

#include <cmath>
#include <iostream>

#include "platform/platform.h"
#include "sim/sim_appkit.h"

namespace sim {

SimApplication::~SimApplication() = default;

bool SimApplication::loadMainInterface() {
  try {
    InterfaceFile file = loadInterfaceFile(ctx_.resourceDir, "MainMenu");
    for (const auto& line : file.lines) {
      if (line.word(0) != "object" || line.words.size() < 2 || line.words.size() > 3)
        throw InterfaceError(file.where(line, "expected: object CLASS [delegate]"));
      auto object = platform::ClassRegistry::instantiate(line.word(1));
      if (!object) throw InterfaceError(file.where(line, "unknown class " + line.word(1)));
      if (line.words.size() == 3) {
        auto* delegate = dynamic_cast<platform::ApplicationDelegate*>(object.get());
        if (line.word(2) != "delegate" || !delegate)
          throw InterfaceError(file.where(line, line.word(1) + " cannot be the delegate"));
        delegate_ = delegate;
      }
      topLevelObjects_.push_back(std::move(object));
    }
    if (!delegate_) throw InterfaceError(file.path + ":0: no object is the delegate");
    return true;
  } catch (const InterfaceError& e) {
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

void SimApplication::activateIgnoringOtherApps(bool) { ctx_.trace.emit(Event::AppActivate); }

void SimApplication::orderFrontStandardAboutPanel(platform::NibObject*) {
  ctx_.trace.emit(Event::AppAbout);
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
  ctx_.trace.emit(Event::AppQuit);
  ctx_.stopRequested = true;
}

bool SimApplication::sendAction(const std::string& selector, platform::NibObject* sender) {
  if (selector == "terminate:") {
    terminate(sender);
    return true;
  }
  if (selector == "orderFrontStandardAboutPanel:") {
    orderFrontStandardAboutPanel(sender);
    return true;
  }
  return delegate_ && delegate_->performAction(selector, sender);
}

}  // namespace sim
