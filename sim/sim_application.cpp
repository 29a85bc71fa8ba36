#include "sim/sim_application.h"

#include <iostream>

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

}  // namespace sim
