// The application framework: objects created by interface files, the
// application delegate, and NSApplicationMain.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace platform {

// Anything an interface file can instantiate and wire up. Actions arrive by
// selector name, as target-action delivers them.
class NibObject {
 public:
  virtual ~NibObject() = default;
  // Handles `selector` sent by `sender`; false when the object does not
  // respond to it, so that delivery can go on along the responder chain.
  virtual bool performAction(const std::string& selector, NibObject* sender) {
    (void)selector;
    (void)sender;
    return false;
  }
};

class ApplicationDelegate : public NibObject {
 public:
  virtual void applicationDidFinishLaunching() = 0;
};

// The runtime's table of classes that interface files may name.
class ClassRegistry {
 public:
  using Factory = std::function<std::shared_ptr<NibObject>()>;
  static void registerClass(const std::string& name, Factory factory);
  // Null when no class of that name is registered.
  static std::shared_ptr<NibObject> instantiate(const std::string& name);
};

class Application {
 public:
  virtual ~Application() = default;
  // NSApplicationMain: loads the main interface, which creates the
  // delegate, finishes launching and runs the main run loop until the
  // application ends.
  virtual int applicationMain(int argc, char** argv) = 0;
};

}  // namespace platform
