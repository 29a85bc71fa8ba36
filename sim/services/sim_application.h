// The application framework of the agent process: NSApplicationMain, the
// main interface and the objects it creates.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/appkit.h"
#include "platform/application.h"
#include "sim/services/session_context.h"

namespace sim {

class SimApplication final : public platform::Application {
 public:
  SimApplication(SessionContext& ctx, std::function<void()> runMainLoop)
      : ctx_(ctx), runMainLoop_(std::move(runMainLoop)) {}
  ~SimApplication() override;

  int applicationMain(int argc, char** argv) override;
  void activateIgnoringOtherApps(bool flag) override;
  void orderFrontStandardAboutPanel(platform::NibObject* sender) override;
  void terminate(platform::NibObject* sender) override;
  // Delivers an action along the responder chain: the application object,
  // then its delegate. False when nobody responds.
  bool sendAction(const std::string& selector, platform::NibObject* sender);
  platform::ApplicationDelegate* delegate() const { return delegate_; }

 private:
  // Creates the objects of the main interface; false after reporting a fault.
  bool loadMainInterface();

  SessionContext& ctx_;
  std::function<void()> runMainLoop_;
  std::vector<std::shared_ptr<platform::NibObject>> topLevelObjects_;
  platform::ApplicationDelegate* delegate_ = nullptr;
  std::shared_ptr<platform::Window> aboutPanel_;
};

}  // namespace sim
