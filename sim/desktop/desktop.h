// The simulated desktop running one scenario: it builds the world from the
// set-up lines, launches the agent, feeds it the timed input and prints the
// trace.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <unordered_map>

#include "sim/picture/desktop_scene.h"
#include "sim/scenario/scenario.h"
#include "sim/services/agent_session.h"
#include "sim/stored/defaults_store.h"
#include "sim/stored/login_items_store.h"
#include "sim/world/run_queue.h"
#include "sim/world/trace.h"
#include "sim/world/world.h"

namespace sim {

// The run's exit status when a file given for the user's defaults or login
// items did not get every change: the user's changes were not kept.
inline constexpr int kExitChangesNotKept = 3;

// The least wall-clock time between two saves of the login-items file.
inline constexpr std::int64_t kLoginItemsSaveInterval = 1'000'000'000;

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

  // The whole scenario: begin(), advanceTo(end), finish(). The agent's exit
  // status, or kExitChangesNotKept when a stored file lacks changes made.
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
  const std::string& resourceDir() const { return options_.resourceDir; }
  AgentSession* session() { return session_.get(); }
  // What the picture draws (`snapshot`, the live page).
  DesktopScene scene() { return {world_, session_.get(), defaults_, options_.resourceDir}; }
  Nanos endTime() const { return toNanos(scenario_.endTime()); }

  // Applies one timed command now, as the scenario would (a live session's
  // commands come from parseTimedCommand). Its line names it in errors.
  void apply(const Command& c);

 private:
  void setUpWorld();
  void scheduleInput(std::size_t index);
  void launch();
  void endSession();
  void mainLoop();
  void relaunch();
  void applyNow(const Command& c);
  void movePointer(const PointerToDock& p, int line);
  // The Mac's hard cases (desktop_hard_cases.cpp): windows of other
  // applications, hung ones, the run loop's tracking mode, sleep.
  std::string agentBundlePath() const;
  void openAppWindow(const OpenWindow& w, int line);
  void closeAppWindow(const std::string& app, int line);
  void setResponse(const AppResponse& r, int line);
  void startTracking(double seconds, int line);
  void endTracking();
  void sleep(double seconds);
  // Input the agent's own process handles (its menu, windows, defaults,
  // its event monitor ...).
  static bool goesToTheAgent(const TimedAction& action);
  // Runs agent work now, or, while the agent is blocked or asleep, queues it
  // for when it can run again, before its overdue timers.
  void toAgent(std::function<void()> work);
  void click(bool right);
  // `inspect`: the report of the element under the pointer (desktop_inspect.cpp).
  void inspect();
  // `snapshot "FILE.svg"`: a picture of the desktop now (desktop_snapshot.cpp).
  void snapshot(const std::string& path, int line);
  // menu, button, check, close (desktop_shell.cpp).
  void inputError(int line, const std::string& message);
  bool agentTakesInput(int line);
  SimWindow* frontmostWindow(int line);
  void chooseMenuItem(const std::string& title, int line);
  void pressButton(const std::string& title, int line);
  void setCheckbox(const std::string& title, bool on, int line);
  void closeWindow(int line);
  // `login-item` set-up lines and `login-items add|remove` (desktop_login_items.cpp).
  void setUpLoginItems();
  void addLoginItem(const std::string& url);
  void removeLoginItem(const std::string& url);

  Scenario scenario_;
  DesktopOptions options_;
  RunQueue queue_;
  Trace trace_;
  World world_;
  DefaultsStore defaults_;
  LoginItemsStore loginItems_{trace_};
  std::map<std::string, std::string> bundleInfo_;
  // `pointer dock "Title"` goes to the first item of that title.
  std::unordered_map<std::string, std::size_t> firstItemTitled_;
  std::unique_ptr<AgentSession> session_;
  Nanos limit_ = 0;
  Nanos runEnd_ = kMaxNanos;  // set by run(): the whole scenario at once
  int launches_ = 0;
  int exitStatus_ = 0;
  bool relaunchPending_ = false;
};

}  // namespace sim
