// What the desktop's thread publishes for the HTTP threads: the latest
// picture and state, and the trace so far. The HTTP threads read it and
// wait on it; they never touch the desktop.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace sim::serve {

class PublishedView {
 public:
  struct Update {
    std::uint64_t seq = 0;
    std::shared_ptr<const std::string> svg;
    nlohmann::json state;
    std::size_t from = 0;            // index of the first line below
    std::vector<std::string> lines;  // the trace from there on (a bounded batch)
    bool closed = false;
  };

  // The desktop's thread: a new state, a new picture (null: unchanged) and
  // the trace lines written since the last call.
  void publish(nlohmann::json state, std::shared_ptr<const std::string> svg,
               std::vector<std::string> newLines);
  // Waits until there is something after `seq` or trace line `from`, the
  // view closes, or the time is up; at most `maxLines` lines come back.
  Update waitNewer(std::uint64_t seq, std::size_t from, std::size_t maxLines,
                   std::chrono::milliseconds timeout);
  Update latest();
  std::string traceText();
  // Wakes every waiter for good (the server is stopping).
  void close();

 private:
  Update updateLocked(std::size_t from, std::size_t maxLines) const;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::uint64_t seq_ = 0;
  std::shared_ptr<const std::string> svg_ = std::make_shared<const std::string>();
  nlohmann::json state_ = nlohmann::json::object();
  std::vector<std::string> trace_;
  bool closed_ = false;
};

}  // namespace sim::serve
