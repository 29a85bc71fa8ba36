// The trace: one line per event, "T EVENT ARGS...", T in seconds with three
// decimals. Events are declared once here with a parallel table of names.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "sim/run_queue.h"

namespace sim {

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
  Count
};

const char* eventName(Event e);

// Quotes a string for the trace: double quotes, with \ and " escaped.
std::string quoted(const std::string& s);
// Seconds with three decimals, from nanoseconds.
std::string formatSeconds(std::int64_t nanos);

class Trace {
 public:
  Trace(std::ostream& out, const RunQueue& clock) : out_(out), clock_(clock) {}
  void emit(Event e, const std::string& args = "");
  // An event followed by indented lines (the inspect report).
  void emitBlock(Event e, const std::string& lines);
  std::uint64_t lines() const { return lines_; }

 private:
  std::ostream& out_;
  const RunQueue& clock_;
  std::uint64_t lines_ = 0;
};

}  // namespace sim
