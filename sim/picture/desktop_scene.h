// What the picture shows of a desktop: its world, the agent's session (none
// between launches), the user's defaults and the folder of its resources.
// The desktop hands it over (Desktop::scene()), so that the picture, which
// the desktop's `snapshot` command draws, needs nothing of the desktop.
#pragma once

#include <string>

#include "sim/services/agent_session.h"
#include "sim/stored/defaults_store.h"
#include "sim/world/world.h"

namespace sim {

class DesktopScene {
 public:
  DesktopScene(World& world, AgentSession* session, DefaultsStore& defaults,
               const std::string& resourceDir)
      : world_(&world), session_(session), defaults_(&defaults), resourceDir_(&resourceDir) {}

  World& world() const { return *world_; }
  AgentSession* session() const { return session_; }
  DefaultsStore& defaults() const { return *defaults_; }
  const std::string& resourceDir() const { return *resourceDir_; }

 private:
  World* world_;
  AgentSession* session_;
  DefaultsStore* defaults_;
  const std::string* resourceDir_;
};

}  // namespace sim
