// How long an Accessibility call waits for the process it is addressed to.
//
// A call waits while that process is hung or (the Dock) slow. Waiting
// blocks the agent: its work is held on the queue while the world's own
// items (scenario input, a slow Dock's late actions, a wake) run at their
// times; when the call returns, the agent's overdue work comes back, due
// now, in the order it was scheduled. Asleep time does not count towards
// a wait.
#include <algorithm>

#include "sim/services/sim_accessibility.h"

namespace sim {

using platform::AXError;

AXError SimAccessibility::reach(const platform::UIElement* e, const SimElement** out) {
  if (AXError err = admit(e, out)) return err;
  if (AXError err = awaitAnswer((*out)->pid, timeoutFor(**out))) return err;
  if (!isValid(**out)) return platform::kAXErrorInvalidUIElement;
  return platform::kAXErrorSuccess;
}

Nanos SimAccessibility::timeoutFor(const SimElement& e) const {
  float seconds = e.messagingTimeout > 0 ? e.messagingTimeout : defaultTimeout_;
  return toNanos(static_cast<double>(seconds));
}

pid_t SimAccessibility::ownerAt(platform::Point carbon) const {
  if (world_.itemAtCarbon(carbon)) return world_.dock.pid;
  if (!world_.onAnyScreenCarbon(carbon)) return 0;
  if (const AppWindow* w = world_.windowAtCarbon(carbon)) return w->pid;
  auto* finder = world_.processWithBundleID("com.apple.finder");
  return finder ? finder->pid : 0;
}

AXError SimAccessibility::setMessagingTimeout(const platform::UIElement* e, float seconds) {
  ++world_.axCalls;
  auto* el = dynamic_cast<const SimElement*>(e);
  if (!el || !(seconds >= 0)) return platform::kAXErrorIllegalArgument;
  if (el->kind == SimElement::Kind::SystemWide)
    defaultTimeout_ = seconds > 0 ? seconds : kDefaultMessagingTimeout;
  else
    el->messagingTimeout = seconds;
  return platform::kAXErrorSuccess;
}

AXError SimAccessibility::awaitAnswer(pid_t pid, Nanos timeout, std::optional<Nanos>* lateAnswer) {
  const Process* process = pid ? world_.process(pid) : nullptr;
  if (!waits_ || !process) return platform::kAXErrorSuccess;
  RunQueue& queue = ctx_.queue;
  const Nanos start = queue.now();
  const Nanos asleepBefore = world_.asleepTotal;
  auto asleepSince = [&] { return world_.asleepTotal - asleepBefore; };
  // When the process answers: after the Dock's lateness, and not before it
  // came back from hanging; never while it hangs or once it has ended.
  auto answerAt = [&]() -> std::optional<Nanos> {
    const Process* p = world_.process(pid);
    if (!p || p->hung) return std::nullopt;
    Nanos late = pid == world_.dock.pid ? world_.dock.slowness : 0;
    return std::max(start + late + asleepSince(), p->respondingSince);
  };
  if (auto answer = answerAt(); answer && *answer <= start) return platform::kAXErrorSuccess;
  // The run ends while the call waits: the process ends with it, and the
  // call never returns (nothing it would do next is shown).
  auto runEnds = [&] {
    ctx_.stopRequested = true;
    return platform::kAXErrorCannotComplete;
  };
  if (start >= ctx_.endTime) return runEnds();

  const std::string name = process->name;
  AXError code = platform::kAXErrorCannotComplete;
  queue.hold(RunQueue::kAgentWork);
  for (;;) {
    if (!world_.process(pid)) break;  // it ended: no answer will come
    Nanos deadline = start + timeout + asleepSince();
    auto answer = answerAt();
    Nanos until = answer ? std::min(*answer, deadline) : deadline;
    // A Mac asleep wakes before the wait can end.
    if (world_.wakeAt) until = std::max(until, *world_.wakeAt);
    bool cut = until > ctx_.endTime;
    if (cut) until = ctx_.endTime;
    if (queue.runOne(until)) continue;
    if (queue.now() < until) {
      queue.advanceTo(until);
      continue;
    }
    if (cut) {
      queue.unhold(RunQueue::kAgentWork);
      return runEnds();
    }
    if (answer && *answer <= deadline) code = platform::kAXErrorSuccess;
    break;
  }
  queue.unhold(RunQueue::kAgentWork);
  Nanos waited = queue.now() - start - asleepSince();
  ctx_.trace.emit(Event::AxWait, quoted(name) + " " +
                                     backend::threeDecimals(static_cast<double>(waited) / 1e9) +
                                     " " + std::to_string(code));
  if (lateAnswer && code != platform::kAXErrorSuccess) *lateAnswer = answerAt();
  return code;
}

}  // namespace sim
