// The life of a dispatch timer source, the same on both desktops: it
// starts at its first resume and at no later one, it is traced when it
// starts and, only if it started, when its last owner lets it go; its
// handler runs from a copy, since the handler may release the source.
#pragma once

#include <functional>
#include <string>

#include "backend/trace.h"

namespace backend {

class DispatchTimerLife {
 public:
  explicit DispatchTimerLife(std::string owner) : owner_(std::move(owner)) {}
  // True at the first call only: the source is to start now.
  bool start(Trace& trace, double intervalSeconds);
  // The source ends: whether it had started. `traced` false ends it
  // without a word (a process that ends takes its timers along).
  bool end(Trace& trace, bool traced);
  static void fire(const std::function<void()>& handler);

 private:
  std::string owner_;
  bool started_ = false;
};

}  // namespace backend
