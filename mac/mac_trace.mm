#include "mac/mac_trace.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace mac {

namespace {

// Seconds since the process started: the first use is close enough to launch.
class LaunchClock final : public backend::Clock {
 public:
  LaunchClock() : start_(std::chrono::steady_clock::now()) {}
  std::int64_t now() const override {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() -
                                                                start_)
        .count();
  }

 private:
  std::chrono::steady_clock::time_point start_;
};

}  // namespace

backend::Trace* trace() {
  static backend::Trace* const instance = []() -> backend::Trace* {
    const char* flag = std::getenv("VISTREL_TRACE");
    if (!flag || std::strcmp(flag, "1") != 0) return nullptr;
    static LaunchClock clock;
    static backend::Trace t(std::cerr, clock);
    return &t;
  }();
  return instance;
}

backend::Trace& tracer() {
  static backend::Trace& instance = trace() ? *trace() : backend::Trace::muted();
  return instance;
}

}  // namespace mac
