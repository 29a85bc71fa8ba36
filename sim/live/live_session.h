// A live session: the simulated desktop with the agent on it, driven in real
// time by a visitor. The virtual clock follows the wall clock (pause, single
// step, a speed factor); a scenario's timed lines play first; every input is
// checked like a scenario line and applied at a whole millisecond of virtual
// time, so that the session, written down as a scenario, replays to the
// same trace.
//
// A plain class, used by one thread: the caller passes the wall clock's
// time to every call (tests pass their own) and never sleeps.
#pragma once

#include <atomic>
#include <memory>
#include <streambuf>
#include <string>
#include <vector>

#include "sim/desktop/desktop.h"
#include "sim/live/live_clock.h"
#include "sim/live/live_commands.h"
#include "sim/scenario/scenario_limits.h"

namespace sim {

struct LiveLimits {
  std::size_t maxInputs = 100'000;        // lines the session records
  std::size_t maxTraceBytes = 16u << 20;  // the trace it keeps
  // The clock stops here, so that the session written down is a scenario
  // the language takes (`run` at most its limit).
  Nanos maxTime = toNanos(limits::kMaxSeconds);
};

// The trace as lines, as the desktop writes it.
class TraceLines final : public std::streambuf {
 public:
  const std::vector<std::string>& lines() const { return lines_; }
  std::size_t bytes() const { return bytes_; }

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;

 private:
  std::vector<std::string> lines_;
  std::string partial_;
  std::size_t bytes_ = 0;
};

class LiveSession {
 public:
  enum class Result { Applied, Refused, Full };
  // Why the session is full: the clock stopped there for good.
  enum class Stop { None, Inputs, Trace, Time };
  struct Outcome {
    Result result = Result::Refused;
    std::string error;  // "request:1: message" unless applied
    Nanos time = 0;     // when it was applied
    std::string line;   // as the session records it: "at T COMMAND"
  };

  LiveSession(LiveSetup setup, DesktopOptions options, Nanos wallNow, LiveLimits limits = {});
  ~LiveSession();
  LiveSession(const LiveSession&) = delete;
  LiveSession& operator=(const LiveSession&) = delete;

  // Moves the desktop on to the virtual time the wall clock has reached,
  // in whole milliseconds.
  void tick(Nanos wallNow);
  void pause(Nanos wallNow);
  void resume(Nanos wallNow);
  std::optional<std::string> setSpeed(double factor, Nanos wallNow);
  // Pauses and runs what is due next (everything due in its millisecond).
  void step(Nanos wallNow);
  // Checks one line of input and applies it at the next whole millisecond.
  Outcome input(const std::string& line, Nanos wallNow);

  // The session so far as a scenario: the set-up lines, every timed line
  // applied (the scenario's and the visitor's) and `run NOW`.
  std::string scenarioText() const;
  // Its pieces: the comment and the set-up lines, the timed lines recorded
  // ("at T COMMAND"), and the last line for a session that stands at `now`.
  std::string scenarioHead() const;
  const std::vector<std::string>& recorded() const { return recorded_; }
  static std::string scenarioEnd(Nanos now);

  // Once `*stop` is true, the scenario's lines play no further, so that a
  // tick with many of them due stops between two; null: never.
  void watchStop(const std::atomic<bool>* stop) { stopWatched_ = stop; }
  // Ends the session: the agent quits and the stored files are saved. The
  // exit status the program gives for that: 0, or kExitChangesNotKept.
  int finish();

  Nanos now() const { return desktop_->queue().now(); }
  bool paused() const { return clock_.paused(); }
  double speed() const { return clock_.speed(); }
  bool full() const { return stop_ != Stop::None; }
  Stop stoppedBy() const { return stop_; }
  // Timed lines of the scenario still to play.
  std::size_t scenarioLinesLeft() const { return setup_.timed().size() - nextScenarioLine_; }
  std::size_t inputsRecorded() const { return recorded_.size(); }
  const std::vector<std::string>& traceLines() const { return trace_.lines(); }
  Desktop& desktop() { return *desktop_; }

 private:
  void advanceTo(Nanos t);
  void scheduleScenarioLine();
  void record(Nanos time, const LiveCommand& command);
  void checkLimits();
  void stopClock(Stop why);
  // Whether one more input may be recorded; stops the clock when not.
  bool roomForInput();
  Outcome fullOutcome() const;

  LiveSetup setup_;
  LiveLimits limits_;
  TraceLines trace_;
  std::ostream traceStream_{&trace_};
  std::unique_ptr<Desktop> desktop_;
  LiveClock clock_;
  std::vector<std::string> recorded_;  // "at T COMMAND"
  std::size_t nextScenarioLine_ = 0;
  Stop stop_ = Stop::None;
  bool finished_ = false;
  const std::atomic<bool>* stopWatched_ = nullptr;
};

}  // namespace sim
