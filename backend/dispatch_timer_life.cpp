#include "backend/dispatch_timer_life.h"

namespace backend {

bool DispatchTimerLife::start(Trace& trace, double intervalSeconds) {
  if (started_) return false;
  started_ = true;
  trace.dispatchStart(owner_, intervalSeconds);
  return true;
}

bool DispatchTimerLife::end(Trace& trace, bool traced) {
  if (started_ && traced) trace.dispatchStop(owner_);
  return started_;
}

void DispatchTimerLife::fire(const std::function<void()>& handler) {
  const std::function<void()> run = handler;
  if (run) run();
}

}  // namespace backend
