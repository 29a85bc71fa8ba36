#include "app/entry.h"

#include "app/app_delegate.h"
#include "platform/platform.h"

namespace {
void registerClasses() {
  platform::ClassRegistry::registerClass("AppDelegate",
                                         [] { return std::make_shared<AppDelegate>(); });
}
}  // namespace

int agentMain(int argc, char** argv) {
  registerClasses();
  return platform::current().application().applicationMain(argc, argv);
}
