#include "sim/serve/published_view.h"

#include <algorithm>

namespace sim::serve {

void PublishedView::publish(nlohmann::json state, std::shared_ptr<const std::string> svg,
                            std::vector<std::string> newLines) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++seq_;
    state_ = std::move(state);
    if (svg) svg_ = std::move(svg);
    for (auto& line : newLines) trace_.push_back(std::move(line));
  }
  changed_.notify_all();
}

PublishedView::Update PublishedView::updateLocked(std::size_t from, std::size_t maxLines) const {
  Update u;
  u.seq = seq_;
  u.svg = svg_;
  u.state = state_;
  u.from = std::min(from, trace_.size());
  std::size_t end = std::min(trace_.size(), u.from + maxLines);
  u.lines.assign(trace_.begin() + static_cast<std::ptrdiff_t>(u.from),
                 trace_.begin() + static_cast<std::ptrdiff_t>(end));
  u.closed = closed_;
  return u;
}

PublishedView::Update PublishedView::waitNewer(std::uint64_t seq, std::size_t from,
                                               std::size_t maxLines,
                                               std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait_for(lock, timeout, [&] { return closed_ || seq_ > seq || trace_.size() > from; });
  return updateLocked(from, maxLines);
}

PublishedView::Update PublishedView::latest() {
  std::lock_guard<std::mutex> lock(mutex_);
  return updateLocked(0, 0);
}

std::string PublishedView::traceText() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string text;
  for (const auto& line : trace_) text += line + "\n";
  return text;
}

void PublishedView::close() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
  }
  changed_.notify_all();
}

}  // namespace sim::serve
