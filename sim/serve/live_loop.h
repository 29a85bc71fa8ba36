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

#include "sim/desktop_svg.h"
#include "sim/live_session.h"
#include "sim/serve/published_view.h"

namespace sim::serve {

// What a job answers, to go back as the HTTP response.
struct Reply {
  int status = 200;
  std::string contentType = "application/json";
  std::string body;
};

class LiveLoop {
 public:
  using MakeSession = std::function<std::unique_ptr<LiveSession>(Nanos wallNow)>;
  using Job = std::function<Reply(LiveSession&, Nanos wallNow)>;
  static constexpr std::size_t kMaxPendingJobs = 64;

  // `echo`, when given, also gets every trace line (standard output).
  LiveLoop(MakeSession make, std::ostream* echo);
  ~LiveLoop();
  LiveLoop(const LiveLoop&) = delete;
  LiveLoop& operator=(const LiveLoop&) = delete;

  void start();
  void stop();
  // Runs `job` on the desktop's thread and waits for its reply; nothing when
  // the queue is full (`busy`), or the loop stopped or did not answer in time.
  std::optional<Reply> call(Job job, std::chrono::milliseconds timeout, bool* busy);
  PublishedView& view() { return view_; }
  // The session's state as the page shows it.
  static nlohmann::json stateOf(LiveSession& session);

 private:
  struct Pending {
    Job job;
    std::shared_ptr<std::promise<Reply>> reply;
  };
  void run();
  void publish(LiveSession& session, bool mayHaveChanged);
  Nanos wallNow() const;

  MakeSession make_;
  std::ostream* echo_;
  PublishedView view_;
  DesktopPicture picture_;
  std::shared_ptr<const std::string> lastSvg_;
  std::size_t publishedLines_ = 0;
  Nanos lastStatePublish_ = 0;
  Nanos lastPublishedTime_ = -1;

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Pending> jobs_;
  bool stopping_ = false;
  std::thread thread_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace sim::serve
