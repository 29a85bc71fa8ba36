// What every simulated service of one agent process shares.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "sim/stored/defaults_store.h"
#include "sim/world/run_queue.h"
#include "sim/world/trace.h"
#include "sim/world/world.h"

namespace sim {

class LoginItemsStore;

struct SessionContext {
  SessionContext(World& w, RunQueue& q, Trace& t, DefaultsStore& d)
      : world(w), queue(q), trace(t), defaults(d) {}

  World& world;
  RunQueue& queue;
  Trace& trace;
  DefaultsStore& defaults;
  std::string resourceDir;
  const std::map<std::string, std::string>* bundleInfo = nullptr;  // Info.plist keys
  LoginItemsStore* loginItems = nullptr;  // the user's login items (outlive launches)
  int owner = 0;                          // the agent process's tag on queued work
  // Where a whole run ends: a call still waiting then never returns (the
  // process ends with the run); none for a desktop driven step by step.
  Nanos endTime = kMaxNanos;
  bool stopRequested = false;  // the process is ending (quit or relaunch)

  // While a menu is tracked the main run loop is in its event-tracking mode:
  // work scheduled for the default mode only waits until tracking ends.
  bool trackingMenu = false;
  std::vector<std::function<void()>> waitingForDefaultMode;
  // A `tracking` span is on: the queue holds the default mode's work.
  bool eventTracking = false;
  // What the agent observes of the run loop's mode and of sleep and wake.
  std::vector<std::function<void(bool tracking)>> trackingObservers;
  std::vector<std::function<void(bool asleep)>> sleepObservers;
};

}  // namespace sim
