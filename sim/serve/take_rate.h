// The rate at which a client takes an answer, over a sliding window: the
// bytes taken since the window's start over its length, or since the
// answer began when that is later. Pauses within the window are averaged
// out, so a client that reads in bursts is judged by its pace.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <utility>

namespace sim::serve {

class TakeRate {
 public:
  using Clock = std::chrono::steady_clock;
  TakeRate(Clock::time_point start, std::chrono::milliseconds window);

  // The client has taken `total` bytes of the answer by `now`.
  void reached(std::uint64_t total, Clock::time_point now);
  // Bytes a second over the window ending at `now`; a span shorter than
  // `least` (an answer just begun) counts as `least`.
  double perSecond(Clock::time_point now, std::chrono::milliseconds least = {}) const;
  Clock::duration age(Clock::time_point now) const { return now - start_; }

 private:
  // Samples apart by at least this: the window is held in a bounded number.
  static constexpr auto kSampleEvery = std::chrono::milliseconds(100);
  Clock::time_point start_;
  std::chrono::milliseconds window_;
  std::uint64_t total_ = 0;
  std::deque<std::pair<Clock::time_point, std::uint64_t>> samples_;  // when, total then
};

}  // namespace sim::serve
