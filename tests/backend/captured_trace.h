// A trace written to a string, every line at time 0, for tests of what the
// shared code traces.
#pragma once

#include <sstream>
#include <string>

#include "backend/trace.h"

namespace backend_test {

class CapturedTrace {
 public:
  backend::Trace& trace() { return trace_; }
  std::string text() const { return out_.str(); }
  void clear() { out_.str(""); }

 private:
  struct ZeroClock final : backend::Clock {
    std::int64_t now() const override { return 0; }
  };
  ZeroClock clock_;
  std::ostringstream out_;
  backend::Trace trace_{out_, clock_};
};

}  // namespace backend_test
