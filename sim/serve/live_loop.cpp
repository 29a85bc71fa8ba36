#include "sim/serve/live_loop.h"

#include "backend/trace.h"

namespace sim::serve {

namespace {
// How often the clock moves on when nothing else happens, and how often the
// page hears the time while it moves.
constexpr auto kFrame = std::chrono::milliseconds(10);
constexpr Nanos kStateInterval = 100'000'000;
}  // namespace

LiveLoop::LiveLoop(MakeSession make, std::ostream* echo) : make_(std::move(make)), echo_(echo) {}

LiveLoop::~LiveLoop() { stop(); }

Nanos LiveLoop::wallNow() const {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() -
                                                              start_)
      .count();
}

void LiveLoop::start() {
  if (thread_.joinable()) return;
  thread_ = std::thread([this] { run(); });
}

void LiveLoop::stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
  view_.close();
}

std::optional<Reply> LiveLoop::call(Job job, std::chrono::milliseconds timeout, bool* busy) {
  auto reply = std::make_shared<std::promise<Reply>>();
  auto answer = reply->get_future();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) return std::nullopt;
    if (jobs_.size() >= kMaxPendingJobs) {
      if (busy) *busy = true;
      return std::nullopt;
    }
    jobs_.push_back({std::move(job), reply});
  }
  wake_.notify_all();
  if (answer.wait_for(timeout) != std::future_status::ready) return std::nullopt;
  try {
    return answer.get();
  } catch (const std::future_error&) {
    return std::nullopt;  // the loop stopped before it came to this job
  }
}

nlohmann::json LiveLoop::stateOf(LiveSession& session) {
  Desktop& d = session.desktop();
  auto* agent = d.session();
  return {{"time", backend::formatSeconds(session.now())},
          {"nanos", session.now()},
          {"paused", session.paused()},
          {"speed", session.speed()},
          {"full", session.full()},
          {"scenarioLinesLeft", session.scenarioLinesLeft()},
          {"inputs", session.inputsRecorded()},
          {"traceLines", session.traceLines().size()},
          {"trusted", d.world().trusted},
          {"dockRunning", d.world().dock.pid != 0},
          {"agentRunning", agent != nullptr && !agent->context().stopRequested}};
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
    auto drawn = std::make_shared<const std::string>(picture_.svg(session.desktop()));
    if (!lastSvg_ || *lastSvg_ != *drawn) svg = lastSvg_ = drawn;
  }
  std::vector<std::string> fresh(lines.begin() + static_cast<std::ptrdiff_t>(publishedLines_),
                                 lines.end());
  publishedLines_ = lines.size();
  if (echo_) {
    for (const auto& line : fresh) *echo_ << line << '\n';
    echo_->flush();
  }
  lastStatePublish_ = wall;
  lastPublishedTime_ = session.now();
  view_.publish(stateOf(session), std::move(svg), std::move(fresh));
}

void LiveLoop::run() {
  auto session = make_(wallNow());
  publish(*session, true);
  for (;;) {
    std::deque<Pending> jobs;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait_for(lock, kFrame, [&] { return stopping_ || !jobs_.empty(); });
      if (stopping_) break;
      jobs.swap(jobs_);
    }
    session->tick(wallNow());
    std::vector<Reply> replies;
    for (auto& pending : jobs) {
      try {
        replies.push_back(pending.job(*session, wallNow()));
      } catch (const std::exception& e) {
        replies.push_back({500, "text/plain", std::string("internal error: ") + e.what() + "\n"});
      }
    }
    // What a job did is published before its caller hears back, so that
    // a reply is never ahead of the page.
    publish(*session, !jobs.empty());
    for (std::size_t i = 0; i < jobs.size(); ++i) jobs[i].reply->set_value(std::move(replies[i]));
  }
  // Jobs still waiting get no answer: their callers time out or see the
  // promise broken.
  std::lock_guard<std::mutex> lock(mutex_);
  jobs_.clear();
  session.reset();
}

}  // namespace sim::serve
