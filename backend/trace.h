// The trace: one line per event, "T EVENT ARGS...", T in seconds since launch
// with three decimals. Both desktops write it, the simulated one always and
// the real one when asked to (VISTREL_TRACE=1), so that a run on a Mac can be
// compared line by line with a scenario's expected trace. Events are declared
// once here with a parallel table of names, and the arguments of the events
// both desktops share are formatted here, in one place.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "platform/appkit.h"
#include "platform/geometry.h"
#include "platform/setup_check.h"

namespace backend {

enum class Event {
  Input,       // printed as "input.COMMAND ARGS"
  InputError,  // an input that found nothing to act on
  DefaultsWrite,
  DefaultsSync,
  AxSystemwide,
  AxAction,
  AxPrompt,
  TimerStart,
  TimerStop,
  DispatchStart,
  DispatchStop,
  MonitorInstall,
  PerformSchedule,
  PerformRun,
  PerformCancel,
  DockAppexpose,
  DockMissioncontrol,
  DockStack,
  DockLaunch,
  DockActivate,
  DockRestore,
  DockMenu,
  DockDismiss,
  DockStart,
  DockQuit,
  EventPost,
  Notify,
  Log,
  StatusitemCreate,
  StatusitemMenu,
  WindowShow,
  WindowClose,
  WindowMove,
  WindowCenter,
  ControlTitle,
  ControlImage,
  AppLaunch,
  AppActivate,
  AppAbout,
  AppQuit,
  UrlOpen,
  UpdaterDelegate,
  UpdaterFeed,
  UpdaterAutomatic,
  UpdaterInterval,
  UpdaterCheck,
  LoginitemsInsert,
  LoginitemsRemove,
  KvoChange,
  Inspect,
  Snapshot,  // a picture of the desktop was written to a file
  WindowResize,
  SetupCheck,       // one item of the set-up check: "setup.check ITEM pass|fail DETAIL"
  SetupStale,       // Accessibility calls refused although trusted, tick after tick
  SetupRecovered,   // they are answered again
  SetupAdvice,      // after a failed item: "setup.advice ITEM "WHAT TO DO""
  AxWait,           // "ax.wait "Process" SECONDS CODE": a call waited for its process's answer
  RunloopTracking,  // the main run loop enters its event-tracking mode for D seconds
  RunloopDefault,   // and leaves it
  SystemSleep,      // the Mac sleeps for D seconds
  SystemWake,
  Count
};

const char* eventName(Event e);

// Quotes a string for the trace: double quotes, with \ and " escaped and
// line breaks written \n and \r, as tokenize() reads them back.
std::string quoted(const std::string& s);
// Seconds with three decimals, from nanoseconds.
std::string formatSeconds(std::int64_t nanos);
// A duration in seconds with three decimals ("0.100").
std::string threeDecimals(double seconds);
// A coordinate as the trace writes it (%.10g).
std::string formatCoordinate(double v);

// Where the trace takes its times from: nanoseconds since launch.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::int64_t now() const = 0;
};

class Trace {
 public:
  Trace(std::ostream& out, const Clock& clock) : out_(out), clock_(clock) {}
  // A trace that writes nothing, for a desktop whose trace is not asked
  // for: callers report every event alike and pay only for the formatting.
  static Trace& muted();
  // False for the muted trace: what is costly to find out for a line (a
  // question to another process) is asked only when this is true.
  bool on() const { return on_; }
  void emit(Event e, const std::string& args = "");
  // An event followed by indented lines (the inspect report).
  void emitBlock(Event e, const std::string& lines);
  std::uint64_t lines() const { return lines_; }

  // The events of what the agent asks of the platform, formatted alike on
  // both desktops.
  void timerStart(const std::string& owner, const std::string& selector, double interval);
  void timerStop(const std::string& owner, const std::string& selector);
  void dispatchStart(const std::string& owner, double interval);
  void dispatchStop(const std::string& owner);
  void monitorInstall(std::uint64_t mask);
  void performSchedule(const std::string& selector, double delay);
  void performRun(const std::string& selector);
  // N requests were pending; no selector means all of them.
  void performCancel(const std::optional<std::string>& selector, std::size_t n);
  // ELEMENT is the element's title in quotes, else its role in angle
  // brackets, else `none` (elementLabel).
  void axAction(const std::string& action, const std::string& element, std::int32_t code);
  void axSystemwide();
  void axPrompt();
  // PROCESS is the process's name, or its number when it has none.
  void eventPost(bool keyDown, std::uint16_t keyCode, const std::string& process);
  void notify(const std::string& name);
  void log(const std::string& text);
  void statusItemCreate();
  // Titles in quotes, `---` for a separator, in order.
  void statusItemMenu(const platform::Menu& menu);
  void windowShow(const std::string& name, const platform::Rect& frame);
  void windowClose(const std::string& name);
  void windowMove(const std::string& name, platform::Point origin);
  void windowCenter(const std::string& name, platform::Point origin);
  void windowResize(const std::string& name, const platform::Rect& frame);
  void controlTitle(const std::string& title);
  // The image's name, or `none`.
  void controlImage(const platform::Image* image);
  void appActivate();
  void appAbout();
  void appQuit();
  void urlOpen(const std::string& url);
  void updaterDelegate();
  void updaterFeed(const std::optional<std::string>& url);
  void updaterAutomatic(bool automatic);
  void updaterInterval(double seconds);
  // `background` or `user`.
  void updaterCheck(bool userInitiated);
  void loginItemsInsert(const std::string& url, bool first);
  void loginItemsRemove(const std::string& url);
  void kvoChange(const std::string& key);
  void setupFinding(const platform::SetupFinding& finding);
  void stalePermission(bool stale);

 private:
  Trace(std::ostream& out, const Clock& clock, bool on) : out_(out), clock_(clock), on_(on) {}
  std::ostream& out_;
  const Clock& clock_;
  bool on_ = true;
  std::uint64_t lines_ = 0;
};

// How the trace writes an element: its title in quotes, else its role in
// angle brackets, else `none` (no element, or one that shows neither).
// The word the trace uses for an item of the set-up check.
const char* setupItemName(platform::SetupItem item);

std::string elementLabel(bool isElement, const std::optional<std::string>& title,
                         const std::optional<std::string>& role);

}  // namespace backend
