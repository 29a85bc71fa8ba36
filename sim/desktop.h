// The simulated desktop running one scenario: it builds the world from the
// set-up lines, launches the agent, feeds it the timed input and prints the
// trace.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "sim/agent_session.h"
#include "sim/defaults_store.h"
#include "sim/login_items_store.h"
#include "sim/run_queue.h"
#include "sim/scenario.h"
#include "sim/trace.h"
#include "sim/world.h"

namespace sim {

struct DesktopOptions {
  // The agent's process entry (argc, argv), called at every launch.
  std::function<int(int, char**)> entry;
  std::string resourceDir;
  std::optional<std::string> defaultsFile;    // load and save the defaults here
  std::optional<std::string> loginItemsFile;  // load and save the login items here
};

class Desktop {
 public:
  Desktop(Scenario scenario, std::ostream& out, DesktopOptions options);
  ~Desktop();
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  // The whole scenario: begin(), advanceTo(end), finish(). The agent's exit status.
  int run();

  // Step by step, for tests and benchmarks.
  void begin();
  void advanceTo(Nanos t);
  void finish();

  World& world() { return world_; }
  RunQueue& queue() { return queue_; }
  Trace& trace() { return trace_; }
  DefaultsStore& defaults() { return defaults_; }
  LoginItemsStore& loginItems() { return loginItems_; }
  AgentSession* session() { return session_.get(); }
  Nanos endTime() const { return toNanos(scenario_.endTime()); }
  const std::string& resourceDir() const { return options_.resourceDir; }

  // Applies one timed command now, as the scenario would.
  void apply(const Command& c);

 private:
  void setUpWorld();
  void scheduleInput(std::size_t index);
  void launch();
  void endSession();
  void mainLoop();
  void relaunch();
  void movePointer(const Command& c);
  // `inspect`: the report of the element under the pointer (desktop_inspect.cpp).
  void inspect();
  // `snapshot "FILE.svg"`: a picture of the desktop now (desktop_snapshot.cpp).
  void snapshot(const Command& c);
  // menu, button, check, close, login-items (desktop_shell.cpp).
  void applyShellInput(const Command& c);
  // `login-item` set-up lines and `login-items add|remove` (desktop_login_items.cpp).
  void setUpLoginItems();
  void applyLoginItemsInput(const Command& c);

  Scenario scenario_;
  DesktopOptions options_;
  RunQueue queue_;
  Trace trace_;
  World world_;
  DefaultsStore defaults_;
  LoginItemsStore loginItems_{trace_};
  std::map<std::string, std::string> bundleInfo_;
  std::unique_ptr<AgentSession> session_;
  Nanos limit_ = 0;
  int launches_ = 0;
  int exitStatus_ = 0;
  bool relaunchPending_ = false;
};

}  // namespace sim
