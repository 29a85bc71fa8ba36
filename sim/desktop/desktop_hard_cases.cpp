// What a real Mac does that an ordinary run never shows: windows of other
// applications, applications that hang, the run loop's event-tracking mode
// while a menu is held, and sleep.
//
// The agent's own work is held on the queue while it cannot run (blocked in
// a call, asleep, or, for its default-mode work, while a menu is held) and
// comes back overdue when it can, in the order it was scheduled.
#include "sim/desktop/desktop.h"
#include "sim/scenario/scenario_limits.h"

namespace sim {

namespace {

// Where macOS runs a quarantined download from: a read-only copy.
constexpr const char* kTranslocatedPath =
    "/private/var/folders/qd/7xr1m4ks2bn0l5yq8w3c0000gn/T/AppTranslocation/"
    "8C1F2A4E-5B6D-4E7F-9A0B-1C2D3E4F5A6B/d/Vistrel.app";

std::string notRunning(const std::string& app) {
  return "no application named " + quoted(app) + " is running";
}

}  // namespace

std::string Desktop::agentBundlePath() const {
  return world_.translocated ? kTranslocatedPath : world_.agentBundlePath;
}

bool Desktop::goesToTheAgent(const TimedAction& action) {
  return std::holds_alternative<Menu>(action) || std::holds_alternative<Button>(action) ||
         std::holds_alternative<Check>(action) || std::holds_alternative<Close>(action) ||
         std::holds_alternative<DefaultsSet>(action) || std::holds_alternative<Relaunch>(action) ||
         std::holds_alternative<Tracking>(action);
}

void Desktop::toAgent(std::function<void()> work) {
  if (!session_ || !queue_.holding(RunQueue::kAgentWork)) {
    work();
    return;
  }
  // Input comes before work due at the same instant: so it does once the
  // agent runs again, before its overdue timers.
  queue_.schedule(queue_.now(), RunQueue::kInput, session_->context().owner, std::move(work),
                  RunQueue::kAgentWork);
}

void Desktop::openAppWindow(const OpenWindow& w, int line) {
  Process* app = world_.processNamed(w.app);
  if (!app) return inputError(line, notRunning(w.app));
  if (world_.windows().size() >= limits::kMaxWindows)
    return inputError(line, "at most " + std::to_string(limits::kMaxWindows) + " windows are open");
  world_.openWindow(app->pid, w.frame);
}

void Desktop::closeAppWindow(const std::string& name, int line) {
  Process* app = world_.processNamed(name);
  if (!app) return inputError(line, notRunning(name));
  if (!world_.closeTopWindow(app->pid)) inputError(line, quoted(name) + " has no window");
}

void Desktop::setResponse(const AppResponse& r, int line) {
  Process* p = r.app ? world_.processNamed(*r.app) : world_.mutableProcess(world_.dock.pid);
  if (!p) return inputError(line, r.app ? notRunning(*r.app) : "the Dock is not running");
  // A process that comes back answers what it was asked meanwhile.
  if (p->hung && !r.hung) p->respondingSince = queue_.now();
  p->hung = r.hung;
}

void Desktop::startTracking(double seconds, int line) {
  if (!agentTakesInput(line)) return;
  auto& ctx = session_->context();
  if (ctx.eventTracking) return inputError(line, "a menu is held already");
  trace_.emit(Event::RunloopTracking, backend::threeDecimals(seconds));
  ctx.eventTracking = true;
  ctx.trackingMenu = true;
  queue_.hold(RunQueue::kDefaultMode);
  // The user lets go at the span's end, once the agent can hear of it.
  queue_.schedule(
      queue_.now() + toNanos(seconds), RunQueue::kSystem, ctx.owner, [this] { endTracking(); },
      RunQueue::kAgentWork);
  auto observers = ctx.trackingObservers;
  for (auto& observer : observers) observer(true);
}

void Desktop::endTracking() {
  auto& ctx = session_->context();
  trace_.emit(Event::RunloopDefault);
  ctx.eventTracking = false;
  ctx.trackingMenu = false;
  queue_.unhold(RunQueue::kDefaultMode);
  auto waiting = std::move(ctx.waitingForDefaultMode);
  ctx.waitingForDefaultMode.clear();
  for (auto& work : waiting) work();
  auto observers = ctx.trackingObservers;
  for (auto& observer : observers) observer(false);
}

void Desktop::sleep(double seconds) {
  Nanos slept = toNanos(seconds);
  trace_.emit(Event::SystemSleep, backend::threeDecimals(seconds));
  auto tell = [this](bool asleep) {
    return [this, asleep] {
      if (!session_) return;
      auto observers = session_->context().sleepObservers;
      for (auto& observer : observers) observer(asleep);
    };
  };
  toAgent(tell(true));
  world_.wakeAt = queue_.now() + slept;
  queue_.hold(RunQueue::kAgentWork);
  queue_.schedule(*world_.wakeAt, RunQueue::kSystem, 0, [this, slept, tell] {
    world_.wakeAt.reset();
    world_.asleepTotal += slept;
    trace_.emit(Event::SystemWake);
    queue_.unhold(RunQueue::kAgentWork);
    toAgent(tell(false));
  });
}

}  // namespace sim
