// The state of the simulated desktop: screens, processes, the Dock, the
// pointer, the modifier keys and Accessibility trust. It outlives the agent's
// launches; what a running agent owns lives in AgentSession.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/geometry.h"
#include "sim/world/dock_child.h"
#include "sim/world/run_queue.h"
#include "sim/world/trace.h"

namespace sim {

struct Process {
  pid_t pid = 0;
  std::string name;
  std::optional<std::string> bundleID;
  std::optional<std::string> bundleURL;
  // A hung process answers no Accessibility call; one that came back
  // answers from this time on (what it was asked meanwhile included).
  bool hung = false;
  Nanos respondingSince = 0;
};

// A window of another application, in Cocoa coordinates.
struct AppWindow {
  std::uint64_t id = 0;  // never reused: a closed window's element stays invalid
  pid_t pid = 0;
  platform::Rect frame;
};

struct DockItem {
  std::optional<std::string> title;     // no AXTitle when empty
  std::optional<std::string> subrole;   // no AXSubrole when empty
  std::optional<std::string> bundleID;  // application items
  std::optional<std::string> bundleURL;
  bool offersShowExpose = true;  // application items list "AXShowExpose"
  bool isApplication() const;
  // The name of the application an item launches: its title, or for an
  // item without one its bundle identifier.
  std::string processName() const { return title ? *title : bundleID.value_or(""); }
};

struct DockState {
  pid_t pid = 0;  // 0 while the Dock is not running
  std::uint64_t generation = 0;
  std::vector<DockItem> items;
  std::optional<std::size_t> expose;  // the item whose App Exposé shows
  bool missionControl = false;
  std::optional<std::size_t> stack;  // the open stack
  std::optional<std::size_t> menu;   // the item whose menu is open
  std::vector<DockChild> extraChildren;
  bool childrenUnreadable = false;
  Nanos slowness = 0;  // `dock slow D`: every answer comes this late (0: at once)
};

inline constexpr double kDockItemSide = 64;
inline constexpr double kDockBottomGap = 4;

class World {
 public:
  explicit World(Trace& trace) : trace(trace) {}

  Trace& trace;
  std::vector<platform::Rect> screens{{{0, 0}, {1440, 900}}};
  DockState dock;
  platform::Point pointer;
  std::uint64_t modifiers = 0;
  bool trusted = true;
  // The permission went stale: the process still counts as trusted, yet
  // every Accessibility call is refused as disabled.
  bool staleTrust = false;
  // The Accessibility list shows an entry for an earlier build of the agent,
  // switched on: not trusted, and the system does not prompt for a client
  // it lists.
  bool listedForEarlierBuild = false;
  // Where the agent's bundle lives, and whether macOS runs it from a
  // translocated copy (then bundlePath is the copy's).
  std::string agentBundlePath = "/Applications/Vistrel.app";
  bool translocated = false;
  // While the Mac sleeps: when it wakes. Asleep time adds up here, so that a
  // wait measured in awake time can leave it out.
  std::optional<Nanos> wakeAt;
  Nanos asleepTotal = 0;
  // App Nap: the agent's timers fire this many times further apart.
  double timerStretch = 1;
  bool updaterInBuild = true;
  // The agent's login item waits for the user's approval.
  bool loginApprovalPending = false;
  pid_t agentPid = 0;
  std::uint64_t axCalls = 0;  // every Accessibility call the agent makes

  // Processes, in launch order (so in order of their identifiers).
  const std::vector<Process>& processes() const { return processes_; }
  Process* mutableProcess(pid_t pid);
  // The first launched of those named so, the agent left out.
  Process* processNamed(const std::string& name);
  pid_t startProcess(const std::string& name, std::optional<std::string> bundleID,
                     std::optional<std::string> bundleURL);
  void endProcess(pid_t pid);
  // Room for this many more processes, so that a large set-up grows its
  // lists and index once.
  void reserveProcesses(std::size_t n);
  const Process* process(pid_t pid) const;
  // The first launched of those with that bundle identifier.
  const Process* processWithBundleID(const std::string& bundleID) const;
  bool runsBundleID(const std::string& bundleID) const {
    return pidsByBundleID_.count(bundleID) != 0;
  }
  // The identifiers of all of them, in launch order.
  const std::vector<pid_t>& pidsWithBundleID(const std::string& bundleID) const;
  bool isRunning(const DockItem& item) const;
  void startDock();

  // Geometry, in Carbon coordinates (y down from the first screen's top).
  double firstScreenTop() const;
  platform::Point cocoaToCarbon(platform::Point p) const;
  platform::Rect itemCarbonFrame(std::size_t index) const;
  platform::Point itemCocoaCentre(std::size_t index) const;
  std::optional<std::size_t> itemAtCarbon(platform::Point p) const;
  bool onAnyScreenCarbon(platform::Point p) const;
  std::optional<std::size_t> itemUnderPointer() const;
  // How the trace names item `index`: its title in quotes, else <AXDockItem>.
  std::string itemLabel(std::size_t index) const;

  // Windows of other applications, the topmost last.
  const std::vector<AppWindow>& windows() const { return windows_; }
  void openWindow(pid_t pid, const platform::Rect& cocoaFrame);
  bool closeTopWindow(pid_t pid);  // false when it has none
  const AppWindow* window(std::uint64_t id) const;
  // The topmost window under a Carbon point.
  const AppWindow* windowAtCarbon(platform::Point p) const;
  platform::Rect carbonFrame(const AppWindow& w) const;

  // What the Dock does.
  void showExpose(std::size_t index);
  void press(std::size_t index);
  void openMenu(std::size_t index);
  void escape();
  bool closeMenu();  // false when no menu was open
  void rightClick();
  void click();
  void startMissionControl();
  void restartDock();
  void quitDock();

 private:
  std::vector<Process> processes_;
  std::vector<AppWindow> windows_;
  std::uint64_t nextWindowId_ = 1;
  // Bundle identifier -> the identifiers of its processes, in launch order:
  // a desktop of many applications is set up and asked in constant time.
  std::unordered_map<std::string, std::vector<pid_t>> pidsByBundleID_;
  pid_t nextPid_ = 100;
};

}  // namespace sim
