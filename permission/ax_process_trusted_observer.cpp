#include "permission/ax_process_trusted_observer.h"

namespace {
constexpr double kPollInterval = 1.0;  // seconds
}

bool AXProcessTrustedObserver::trusted() {
  return platform::current().accessibility().isProcessTrusted();
}

void AXProcessTrustedObserver::start() {
  auto& p = platform::current();
  if (trusted()) {
    setTimer(nullptr);
    p.notificationCenter().postNotificationName(kProcessTrustedNotification, nullptr);
    return;
  }
  // Asked once silently so that the platform lists the process in its
  // Accessibility settings; the answer is already known.
  (void)p.accessibility().isProcessTrustedWithOptions(false);
  setTimer(p.runLoop().createDispatchTimer("AXProcessTrustedObserver"));
  auto timer = _timer;
  if (!timer) return;
  timer->setTimer(kPollInterval, kPollInterval, 0);
  // The timer must not keep its observer alive: they end together.
  std::weak_ptr<AXProcessTrustedObserver> weak = weak_from_this();
  timer->setEventHandler([weak] {
    if (auto self = weak.lock()) self->onTick();
  });
  timer->resume();
}

void AXProcessTrustedObserver::stop() { setTimer(nullptr); }

void AXProcessTrustedObserver::onTick() {
  if (!trusted()) return;
  setTimer(nullptr);
  platform::current().notificationCenter().postNotificationName(kProcessTrustedNotification,
                                                                nullptr);
}
