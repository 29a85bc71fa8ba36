#include "sim/services/agent_session.h"

namespace sim {

AgentSession::AgentSession(SessionContext ctx, std::function<void()> runMainLoop)
    : ctx_(std::move(ctx)),
      ax_(ctx_),
      runLoop_(ctx_),
      notifications_(ctx_),
      events_(ctx_),
      workspace_(ctx_),
      defaults_(ctx_),
      kvo_(&ctx_.trace),
      appKit_(ctx_),
      bundle_(ctx_),
      updater_(ctx_),
      loginItems_(ctx_),
      app_(ctx_, std::move(runMainLoop)) {
  platform::bind(this);
}

AgentSession::~AgentSession() {
  ctx_.stopRequested = true;
  ctx_.queue.cancelOwner(ctx_.owner);
  ctx_.defaults.saveIfChanged();
  platform::bind(nullptr);
}

}  // namespace sim
