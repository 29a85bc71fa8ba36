#pragma once

#include "platform/updater.h"
#include "sim/session_context.h"

namespace sim {

class SimUpdater final : public platform::Updater {
 public:
  explicit SimUpdater(SessionContext& ctx) : ctx_(ctx) {}

 private:
  [[maybe_unused]] SessionContext& ctx_;
};

}  // namespace sim
