#include "shell/shell_classes.h"

#include "platform/application.h"
#include "shell/launch_at_login_controller.h"

void registerShellClasses() {
  platform::ClassRegistry::registerClass(
      "LaunchAtLoginController", [] { return std::make_shared<LaunchAtLoginController>(); });
}
