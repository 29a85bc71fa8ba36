#include "app/entry.h"

#include "app/app_delegate.h"
#include "platform/platform.h"
#include "shell/shell_classes.h"

namespace {
void registerClasses() {
  platform::ClassRegistry::registerClass("AppDelegate",
                                         [] { return std::make_shared<AppDelegate>(); });
  registerShellClasses();
}
}  // namespace

int agentMain(int argc, char** argv) {
  registerClasses();
  return platform::current().application().applicationMain(argc, argv);
}
