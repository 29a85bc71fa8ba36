#include "app/app_delegate.h"

bool AppDelegate::accessibilityEnabled() {
  return platform::current().accessibility().isProcessTrustedWithOptions(false);
}
