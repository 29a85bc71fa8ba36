#include "app/app_delegate.h"
#include "permission/ax_process_trusted_observer.h"

void AppDelegate::setupAccessibilityObserver() {
  auto& p = platform::current();
  if (!axProcessTrustedObserver())
    setAxProcessTrustedObserver(std::make_shared<AXProcessTrustedObserver>());
  std::weak_ptr<AppDelegate> weak = weak_from_this();
  auto token = p.notificationCenter().addObserverForName(kProcessTrustedNotification, nullptr,
                                                         [weak](const platform::Notification&) {
                                                           auto self = weak.lock();
                                                           if (self && self->accessibilityEnabled())
                                                             self->runApp();
                                                         });
  if (token) _observers.push_back(std::move(token));
  axProcessTrustedObserver()->start();
}

bool AppDelegate::accessibilityEnabled() {
  return platform::current().accessibility().isProcessTrustedWithOptions(false);
}

void AppDelegate::openAccessibility() {
  (void)platform::current().accessibility().isProcessTrustedWithOptions(true);
}
