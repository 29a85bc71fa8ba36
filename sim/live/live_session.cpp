#include "sim/live/live_session.h"

#include <algorithm>

namespace sim {

namespace {
constexpr Nanos kMillisecond = 1'000'000;
}  // namespace

TraceLines::int_type TraceLines::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  char ch = traits_type::to_char_type(c);
  xsputn(&ch, 1);
  return c;
}

std::streamsize TraceLines::xsputn(const char* s, std::streamsize n) {
  for (std::streamsize i = 0; i < n; ++i) {
    if (s[i] == '\n') {
      lines_.push_back(std::move(partial_));
      partial_.clear();
    } else {
      partial_ += s[i];
    }
  }
  bytes_ += static_cast<std::size_t>(n);
  return n;
}

LiveSession::LiveSession(LiveSetup setup, DesktopOptions options, Nanos wallNow, LiveLimits limits)
    : setup_(std::move(setup)), limits_(limits), clock_(wallNow) {
  desktop_ = setup_.makeDesktop(traceStream_, std::move(options));
  desktop_->begin();
  scheduleScenarioLine();
  checkLimits();
}

LiveSession::~LiveSession() { finish(); }

int LiveSession::finish() {
  if (!finished_) {
    finished_ = true;
    desktop_->finish();
  }
  bool kept = desktop_->defaults().changesKept() && desktop_->loginItems().changesKept();
  return kept ? 0 : kExitChangesNotKept;
}

void LiveSession::scheduleScenarioLine() {
  // One line waits in the queue at a time, as when the scenario runs alone.
  if (nextScenarioLine_ >= setup_.timed().size()) return;
  const auto& line = setup_.timed()[nextScenarioLine_];
  desktop_->queue().schedule(line.time, RunQueue::kInput, 0, [this, &line] {
    // Past the cap, or once the session is stopping, the scenario's lines
    // play no further.
    if ((stopWatched_ && *stopWatched_) || !roomForInput()) return;
    ++nextScenarioLine_;
    scheduleScenarioLine();
    record(line.time, line.command);
    applyLiveCommand(*desktop_, line.command);
  });
}

void LiveSession::record(Nanos time, const LiveCommand& command) {
  recorded_.push_back("at " + exactSeconds(time) + " " + command.text());
}

bool LiveSession::roomForInput() {
  // Before each input, not after the tick that plays it: a tick of many
  // inputs at one time would run far past the cap.
  if (trace_.bytes() >= limits_.maxTraceBytes) {
    stopClock(Stop::Trace);
    return false;
  }
  if (recorded_.size() < limits_.maxInputs) return true;
  stopClock(Stop::Inputs);
  return false;
}

void LiveSession::stopClock(Stop why) {
  if (stop_ != Stop::None) return;
  // The trace and the session stay whole: the clock stops here rather
  // than drop the beginning of either.
  stop_ = why;
  clock_.rebase(0, now());
  clock_.pause(0);
}

void LiveSession::checkLimits() {
  if (recorded_.size() >= limits_.maxInputs) stopClock(Stop::Inputs);
  if (trace_.bytes() >= limits_.maxTraceBytes) stopClock(Stop::Trace);
  if (now() >= limits_.maxTime) stopClock(Stop::Time);
}

void LiveSession::advanceTo(Nanos t) {
  t = std::min(t, limits_.maxTime);
  if (full() || t <= now()) return;
  desktop_->advanceTo(t);
  checkLimits();
}

void LiveSession::tick(Nanos wallNow) { advanceTo(wholeMillisecond(clock_.virtualAt(wallNow))); }

void LiveSession::pause(Nanos wallNow) {
  tick(wallNow);
  clock_.pause(wallNow);
  clock_.rebase(wallNow, now());
}

void LiveSession::resume(Nanos wallNow) {
  if (full()) return;
  clock_.rebase(wallNow, now());
  clock_.resume(wallNow);
}

std::optional<std::string> LiveSession::setSpeed(double factor, Nanos wallNow) {
  tick(wallNow);
  return clock_.setSpeed(factor, wallNow);
}

void LiveSession::step(Nanos wallNow) {
  pause(wallNow);
  auto due = desktop_->queue().nextDue();
  if (!due) return;
  // Whatever falls due within that millisecond runs with it: the clock
  // stands on whole milliseconds only.
  advanceTo(std::max(wholeMillisecond(*due - 1) + kMillisecond, now() + kMillisecond));
  clock_.rebase(wallNow, now());
}

LiveSession::Outcome LiveSession::input(const std::string& line, Nanos wallNow) {
  Outcome out;
  LiveCheck check = setup_.check(line);
  if (!check.command) {
    out.error = check.error;
    return out;
  }
  tick(wallNow);
  // Work due now has run: the input goes in at the next whole millisecond,
  // before anything else due then, as a scenario's `at T` line would.
  Nanos t = wholeMillisecond(now()) + kMillisecond;
  if (t > limits_.maxTime) stopClock(Stop::Time);
  if (full() || !roomForInput()) return fullOutcome();
  auto command = std::make_shared<LiveCommand>(*check.command);
  auto recordedLine = std::make_shared<std::string>();
  desktop_->queue().schedule(t, RunQueue::kInput, 0, [this, t, command, recordedLine] {
    // A scenario line due at the same time may have taken the last place.
    if (!roomForInput()) return;
    record(t, *command);
    *recordedLine = recorded_.back();
    applyLiveCommand(*desktop_, *command);
  });
  advanceTo(t);
  clock_.rebase(wallNow, now());
  if (recordedLine->empty()) return fullOutcome();
  out.result = Result::Applied;
  out.time = t;
  out.line = *recordedLine;
  return out;
}

LiveSession::Outcome LiveSession::fullOutcome() const {
  Outcome out;
  out.result = Result::Full;
  if (stop_ == Stop::Time)
    out.error = "request:1: the clock stopped at " + exactSeconds(limits_.maxTime) +
                " s, the longest a scenario lasts; download the session";
  else
    out.error = "request:1: the session is full (" + std::to_string(recorded_.size()) + " lines, " +
                std::to_string(trace_.bytes()) + " bytes of trace); download it";
  return out;
}

std::string LiveSession::scenarioHead() const {
  return "# A live session of the simulated desktop: vistrel-desktop FILE.scn replays it.\n" +
         setup_.setupText();
}

std::string LiveSession::scenarioEnd(Nanos now) { return "run " + exactSeconds(now) + "\n"; }

std::string LiveSession::scenarioText() const {
  std::string text = scenarioHead();
  for (const auto& line : recorded_) text += line + "\n";
  return text + scenarioEnd(now());
}

}  // namespace sim
