// The one thread that owns the live session's desktop. It follows the wall
// clock, runs the jobs the HTTP threads hand it through a bounded queue, and
// publishes what the page shows (published_view.h).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <thread>

#include "sim/live/live_session.h"
#include "sim/picture/desktop_svg.h"
#include "sim/serve/line_outlet.h"
#include "sim/serve/published_view.h"

namespace sim::serve {

// What a job answers, to go back as the HTTP response.
struct Reply {
  int status = 200;
  std::string contentType = "application/json";
  std::string body;
};

// A job handed to the loop runs, or is given up by its caller, never both:
// a caller that stops waiting can say for certain that the job never ran.
class JobTicket {
 public:
  // True when the job had not started: it never will.
  bool abandon();
  // The loop's side: true when the job may run.
  bool take();

 private:
  enum { kWaiting, kTaken, kAbandoned };
  std::atomic<int> state_{kWaiting};
};

class LiveLoop {
 public:
  using MakeSession = std::function<std::unique_ptr<LiveSession>(Nanos wallNow)>;
  using Job = std::function<Reply(LiveSession&, Nanos wallNow)>;
  using Done = std::function<void(Reply)>;
  // The wall clock in nanoseconds, from any fixed point (tests move it on).
  using WallClock = std::function<Nanos()>;
  static constexpr std::size_t kMaxPendingJobs = 64;

  // `echo`, when given, also gets every trace line (standard output).
  LiveLoop(MakeSession make, LineOutlet* echo, WallClock clock = {});
  ~LiveLoop();
  LiveLoop(const LiveLoop&) = delete;
  LiveLoop& operator=(const LiveLoop&) = delete;

  // Starts the desktop's thread and returns once the session has begun
  // and the view shows it.
  void start();
  // Takes no more jobs: the job under way, and a long tick's input under
  // way, finish and are answered; jobs not started are answered 503 and
  // never run. Returns once the desktop's thread has done so.
  void stopJobs();
  bool stopping() const { return stopRequested_; }
  // Ends the session (its files are saved) after stopJobs().
  void stop();
  // Queues `job` for the desktop's thread; `done` gets its reply there,
  // after the view shows what it did. Null when the queue is full or the
  // loop stopped.
  std::shared_ptr<JobTicket> submit(Job job, Done done);
  PublishedView& view() { return view_; }
  // After stop(): what the program's exit status is (LiveSession::finish).
  int exitStatus() const { return exitStatus_; }
  // The session's state as the page shows it.
  static nlohmann::json stateOf(LiveSession& session);
  // Lines the standard streams did not take, for the page (`outputDropped`).
  void countDropped(std::function<std::uint64_t()> dropped) { dropped_ = std::move(dropped); }

 private:
  struct Pending {
    Job job;
    Done done;
    std::shared_ptr<JobTicket> ticket;
  };
  void run();
  void runJobs(LiveSession& session, std::deque<Pending>& jobs);
  void publish(LiveSession& session, bool mayHaveChanged);
  Nanos wallNow() const;

  MakeSession make_;
  LineOutlet* echo_;
  std::function<std::uint64_t()> dropped_;
  WallClock clock_;
  PublishedView view_;
  DesktopPicture picture_;
  std::shared_ptr<const std::string> lastSvg_;
  std::size_t publishedLines_ = 0;
  std::size_t publishedInputs_ = 0;
  std::atomic<int> exitStatus_{0};
  Nanos lastStatePublish_ = 0;
  Nanos lastPublishedTime_ = -1;

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Pending> jobs_;
  std::atomic<bool> stopRequested_{false};  // also read by the session inside a tick
  bool jobsClosed_ = false;
  std::thread thread_;
  std::promise<void> begun_;
};

}  // namespace sim::serve
