#include "sim/serve/live_loop.h"

#include "backend/trace.h"

namespace sim::serve {

namespace {
// How often the clock moves on when nothing else happens, and how often the
// page hears the time while it moves.
constexpr auto kFrame = std::chrono::milliseconds(10);
constexpr Nanos kStateInterval = 100'000'000;

const char* fullBecause(LiveSession::Stop why) {
  switch (why) {
    case LiveSession::Stop::None: return "";
    case LiveSession::Stop::Inputs: return "inputs";
    case LiveSession::Stop::Trace: return "trace";
    case LiveSession::Stop::Time: return "time";
  }
  return "";
}

Reply notStarted() {
  return {503, "text/plain; charset=utf-8",
          "the desktop is stopping; the request was not applied\n"};
}
}  // namespace

bool JobTicket::abandon() {
  int expected = kWaiting;
  return state_.compare_exchange_strong(expected, kAbandoned) || expected == kAbandoned;
}

bool JobTicket::take() {
  int expected = kWaiting;
  return state_.compare_exchange_strong(expected, kTaken);
}

LiveLoop::LiveLoop(MakeSession make, LineOutlet* echo, WallClock clock)
    : make_(std::move(make)), echo_(echo), clock_(std::move(clock)) {
  if (!clock_) {
    auto start = std::chrono::steady_clock::now();
    clock_ = [start] {
      return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() -
                                                                  start)
          .count();
    };
  }
}

LiveLoop::~LiveLoop() { stop(); }

Nanos LiveLoop::wallNow() const { return clock_(); }

void LiveLoop::start() {
  if (thread_.joinable()) return;
  auto begun = begun_.get_future();
  thread_ = std::thread([this] { run(); });
  begun.get();  // what making the session threw, if it did
}

void LiveLoop::stopJobs() {
  std::unique_lock<std::mutex> lock(mutex_);
  stopRequested_ = true;
  wake_.notify_all();
  if (thread_.joinable()) wake_.wait(lock, [this] { return jobsClosed_; });
}

void LiveLoop::stop() {
  stopJobs();
  if (thread_.joinable()) thread_.join();
  view_.close();
}

std::shared_ptr<JobTicket> LiveLoop::submit(Job job, Done done) {
  auto ticket = std::make_shared<JobTicket>();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopRequested_ || jobs_.size() >= kMaxPendingJobs) return nullptr;
    jobs_.push_back({std::move(job), std::move(done), ticket});
  }
  wake_.notify_all();
  return ticket;
}

nlohmann::json LiveLoop::stateOf(LiveSession& session) {
  Desktop& d = session.desktop();
  auto* agent = d.session();
  return {{"time", backend::formatSeconds(session.now())},
          {"nanos", session.now()},
          {"paused", session.paused()},
          {"speed", session.speed()},
          {"full", session.full()},
          {"fullBecause", fullBecause(session.stoppedBy())},
          {"scenarioLinesLeft", session.scenarioLinesLeft()},
          {"inputs", session.inputsRecorded()},
          {"traceLines", session.traceLines().size()},
          {"trusted", d.world().trusted},
          {"dockRunning", d.world().dock.pid != 0},
          {"agentRunning", agent != nullptr && !agent->context().stopRequested},
          {"outputDropped", 0}};
}

void LiveLoop::publish(LiveSession& session, bool mayHaveChanged) {
  const auto& lines = session.traceLines();
  bool traceGrew = lines.size() > publishedLines_;
  Nanos wall = wallNow();
  bool timeMoved =
      session.now() != lastPublishedTime_ && wall - lastStatePublish_ >= kStateInterval;
  if (!traceGrew && !mayHaveChanged && !timeMoved) return;
  std::shared_ptr<const std::string> svg;
  if (traceGrew || mayHaveChanged) {
    auto drawn = std::make_shared<const std::string>(picture_.svg(session.desktop().scene()));
    if (!lastSvg_ || *lastSvg_ != *drawn) svg = lastSvg_ = drawn;
  }
  std::vector<std::string> fresh(lines.begin() + static_cast<std::ptrdiff_t>(publishedLines_),
                                 lines.end());
  publishedLines_ = lines.size();
  if (echo_)
    for (const auto& line : fresh) echo_->push(line);
  lastStatePublish_ = wall;
  lastPublishedTime_ = session.now();
  const auto& recorded = session.recorded();
  PublishedView::Moment m;
  m.state = stateOf(session);
  if (dropped_) m.state["outputDropped"] = dropped_();
  m.traceLines = std::move(fresh);
  m.sessionLines.assign(recorded.begin() + static_cast<std::ptrdiff_t>(publishedInputs_),
                        recorded.end());
  publishedInputs_ = recorded.size();
  m.sessionEnd = LiveSession::scenarioEnd(session.now());
  m.svg = std::move(svg);
  view_.publish(std::move(m));
}

void LiveLoop::run() {
  std::unique_ptr<LiveSession> session;
  try {
    session = make_(wallNow());
  } catch (...) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      jobsClosed_ = true;
    }
    wake_.notify_all();
    begun_.set_exception(std::current_exception());
    return;
  }
  // A long tick (a scenario's many lines due at once) stops between inputs.
  session->watchStop(&stopRequested_);
  view_.setSessionHead(session->scenarioHead());
  publish(*session, true);
  begun_.set_value();
  std::deque<Pending> jobs;
  while (!stopRequested_) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait_for(lock, kFrame, [&] { return stopRequested_ || !jobs_.empty(); });
      jobs.swap(jobs_);
    }
    session->tick(wallNow());
    runJobs(*session, jobs);
    jobs.clear();
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    jobs.swap(jobs_);
  }
  runJobs(*session, jobs);  // none runs: each is answered that it never will
  {
    std::lock_guard<std::mutex> lock(mutex_);
    jobsClosed_ = true;
  }
  wake_.notify_all();
  exitStatus_ = session->finish();
  session.reset();
}

void LiveLoop::runJobs(LiveSession& session, std::deque<Pending>& jobs) {
  std::vector<std::pair<Done, Reply>> replies;
  bool ran = false;
  for (auto& pending : jobs) {
    if (stopRequested_) {
      // Not started, and now never will be (a second answer to one its
      // caller gave up on goes nowhere).
      if (pending.ticket->abandon()) replies.emplace_back(std::move(pending.done), notStarted());
      continue;
    }
    // A job its caller gave up on never runs: the caller said so.
    if (!pending.ticket->take()) continue;
    Reply reply;
    try {
      reply = pending.job(session, wallNow());
    } catch (const std::exception& e) {
      reply = {500, "text/plain", std::string("internal error: ") + e.what() + "\n"};
    }
    ran = true;
    replies.emplace_back(std::move(pending.done), std::move(reply));
  }
  // What a job did is published before its caller hears back, so that
  // a reply is never ahead of the page.
  publish(session, ran);
  for (auto& [done, reply] : replies)
    if (done) done(std::move(reply));
}

}  // namespace sim::serve
