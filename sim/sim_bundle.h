#pragma once

#include "platform/bundle.h"
#include "sim/session_context.h"

namespace sim {

class SimBundle final : public platform::Bundle {
 public:
  explicit SimBundle(SessionContext& ctx) : ctx_(ctx) {}

 private:
  [[maybe_unused]] SessionContext& ctx_;
};

}  // namespace sim
