#pragma once

#include "platform/login_items.h"
#include "sim/session_context.h"

namespace sim {

class SimLoginItems final : public platform::LoginItems {
 public:
  explicit SimLoginItems(SessionContext& ctx) : ctx_(ctx) {}

 private:
  [[maybe_unused]] SessionContext& ctx_;
};

}  // namespace sim
