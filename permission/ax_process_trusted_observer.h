// AXProcessTrustedObserver: watches for the user granting this process
// Accessibility access and announces it once with kProcessTrustedNotification.
#pragma once

#include <memory>

#include "platform/platform.h"

// Posted on the default centre, object nil, when the process is found trusted.
inline constexpr const char* kProcessTrustedNotification = "kProcessTrustedNotification";

class AXProcessTrustedObserver : public std::enable_shared_from_this<AXProcessTrustedObserver> {
 public:
  // AXIsProcessTrusted, asked afresh on every read.
  bool trusted();
  // Announces at once when trusted; otherwise polls once a second until the
  // process is trusted. A second start replaces the running poll.
  void start();
  // Ends polling without a word.
  void stop();

  const std::shared_ptr<platform::DispatchTimer>& timer() const { return _timer; }
  // Storing a new timer releases the previous one, which ends it.
  void setTimer(std::shared_ptr<platform::DispatchTimer> timer) { _timer = std::move(timer); }

 private:
  void onTick();

  std::shared_ptr<platform::DispatchTimer> _timer;
};
