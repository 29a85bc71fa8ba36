#include "sim/serve/take_rate.h"

#include <algorithm>

namespace sim::serve {

TakeRate::TakeRate(Clock::time_point start, std::chrono::milliseconds window)
    : start_(start), window_(window) {
  samples_.emplace_back(start, 0);
}

void TakeRate::reached(std::uint64_t total, Clock::time_point now) {
  total_ = std::max(total_, total);
  if (now - samples_.back().first >= kSampleEvery) samples_.emplace_back(now, total_);
  // A sample is needed while the next one is still inside the window.
  while (samples_.size() > 1 && samples_[1].first <= now - window_) samples_.pop_front();
}

double TakeRate::perSecond(Clock::time_point now, std::chrono::milliseconds least) const {
  auto from = std::max(start_, now - window_);
  // The total at the last sample before the window began: at most what
  // was taken by then, so the rate is never underestimated.
  std::uint64_t before = 0;
  for (const auto& [when, total] : samples_) {
    if (when > from) break;
    before = total;
  }
  auto span = std::max<Clock::duration>(now - from, least);
  double seconds = std::chrono::duration<double>(span).count();
  if (seconds <= 0) return total_ > before ? 1e300 : 0;
  return static_cast<double>(total_ - before) / seconds;
}

}  // namespace sim::serve
