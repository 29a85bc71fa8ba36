#pragma once

#include "platform/appkit.h"
#include "sim/session_context.h"

namespace sim {

class SimAppKit final : public platform::AppKit {
 public:
  explicit SimAppKit(SessionContext& ctx) : ctx_(ctx) {}

 private:
  [[maybe_unused]] SessionContext& ctx_;
};

}  // namespace sim
