// The application framework: objects created by interface files, the
// application delegate, and NSApplicationMain.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/defaults.h"

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
  // Key-value coding, for bindings made by interface files: false when the
  // object has no such key.
  virtual bool valueForKey(const std::string& key, PrefValue* value) {
    (void)key;
    (void)value;
    return false;
  }
  virtual bool setValueForKey(const std::string& key, const PrefValue& value) {
    (void)key;
    (void)value;
    return false;
  }
  // An interface file connects its objects to the owner's outlets by name;
  // false when the owner has no such outlet.
  virtual bool connectOutlet(const std::string& name, std::shared_ptr<NibObject> object) {
    (void)name;
    (void)object;
    return false;
  }
};

// Key-value observing of NibObject keys: an object announces a change with
// willChangeValueForKey / didChangeValueForKey, and the observers of that
// key are told after the did-change announcement.
class KeyValueObserving {
 public:
  virtual ~KeyValueObserving() = default;
  virtual void addObserver(NibObject* object, const std::string& key,
                           std::function<void()> onChange) = 0;
  virtual void removeObservers(NibObject* object) = 0;
  virtual void willChangeValueForKey(NibObject* object, const std::string& key) = 0;
  virtual void didChangeValueForKey(NibObject* object, const std::string& key) = 0;
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
  // activateIgnoringOtherApps:
  virtual void activateIgnoringOtherApps(bool flag) = 0;
  // orderFrontStandardAboutPanel: the panel's contents come from the bundle.
  virtual void orderFrontStandardAboutPanel(NibObject* sender) = 0;
  // terminate: ends the process without asking.
  virtual void terminate(NibObject* sender) = 0;
};

}  // namespace platform
