#include "sim/serve/published_view.h"

#include <algorithm>

namespace sim::serve {

void PublishedView::setSessionHead(std::string head) {
  std::lock_guard<std::mutex> lock(mutex_);
  sessionHead_ = std::make_shared<const std::string>(std::move(head));
}

void PublishedView::onChange(std::function<void()> listener) {
  // Waits for a call under way: once this returns, the old listener is
  // never called again.
  std::lock_guard<std::mutex> lock(listenerMutex_);
  listener_ = std::move(listener);
}

void PublishedView::changed() {
  std::lock_guard<std::mutex> lock(listenerMutex_);
  if (listener_) listener_();
}

void PublishedView::publish(Moment m) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++seq_;
    state_ = std::move(m.state);
    if (m.svg) svg_ = std::move(m.svg);
    for (const auto& line : m.traceLines) trace_.appendLine(line);
    for (const auto& line : m.sessionLines) recorded_.appendLine(line);
    sessionEnd_ = std::make_shared<const std::string>(std::move(m.sessionEnd));
  }
  changed();
}

PublishedView::Update PublishedView::updateLocked(std::size_t from, std::size_t maxLines) const {
  Update u;
  u.seq = seq_;
  u.svg = svg_;
  u.state = state_;
  u.from = std::min(from, trace_.lineCount());
  u.lines = trace_.lines(u.from, maxLines);
  u.closed = closed_;
  return u;
}

std::optional<PublishedView::Update> PublishedView::newer(std::uint64_t seq, std::size_t from,
                                                          std::size_t maxLines) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!closed_ && seq_ <= seq && trace_.lineCount() <= from) return std::nullopt;
  return updateLocked(from, maxLines);
}

PublishedView::Update PublishedView::latest() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return updateLocked(0, 0);
}

std::vector<PublishedView::Part> PublishedView::trace() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return trace_.parts();
}

std::vector<PublishedView::Part> PublishedView::session() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<Part> out{sessionHead_};
  auto recorded = recorded_.parts();
  out.insert(out.end(), recorded.begin(), recorded.end());
  out.push_back(sessionEnd_);
  return out;
}

void PublishedView::close() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
  }
  changed();
}

}  // namespace sim::serve
