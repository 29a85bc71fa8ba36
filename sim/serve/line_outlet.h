// Lines for a standard stream that nobody may be reading (a pipe into a
// pager left alone, a terminal on hold): they wait in a bounded buffer and
// a thread of their own writes them, so that a full pipe never holds up
// whoever produces them. When the buffer is full, lines are dropped and
// counted. Closing writes what the stream still takes within a grace time
// and never waits longer for its reader.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <streambuf>
#include <string>
#include <string_view>
#include <thread>

namespace sim::serve {

class LineOutlet {
 public:
  // `firstDrop` is called once, on the pushing thread, when the first line
  // is dropped.
  LineOutlet(int fd, std::size_t maxBytes, std::function<void()> firstDrop = {});
  ~LineOutlet();
  LineOutlet(const LineOutlet&) = delete;
  LineOutlet& operator=(const LineOutlet&) = delete;

  // One line, without its newline; any thread.
  void push(std::string_view line);
  std::uint64_t dropped() const { return dropped_; }
  // Writes what is buffered while the stream takes it, for `grace` at
  // most, then ends the writing thread. Pushes after it are dropped.
  void close(std::chrono::milliseconds grace);
  // The same, without waiting: close() then returns by the same deadline.
  void beginClose(std::chrono::milliseconds grace);

 private:
  void run();
  // Writes `text` while the stream takes it and `deadline` (when set) has
  // not passed; false when it gave up.
  bool writeOut(std::string_view text);

  int fd_;
  std::size_t maxBytes_;
  std::function<void()> firstDrop_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::string pending_;
  bool closing_ = false;
  std::chrono::steady_clock::time_point deadline_;
  std::atomic<std::uint64_t> dropped_{0};
  std::atomic<bool> broken_{false};
  std::thread thread_;
};

// A stream buffer that hands each whole line to an outlet: std::cout and
// std::cerr point at these while the server runs.
class OutletBuffer final : public std::streambuf {
 public:
  explicit OutletBuffer(LineOutlet& outlet) : outlet_(outlet) {}

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;

 private:
  static constexpr std::size_t kMaxLine = 64 * 1024;  // a longer line is cut here
  LineOutlet& outlet_;
  std::mutex mutex_;
  std::string partial_;
};

}  // namespace sim::serve
