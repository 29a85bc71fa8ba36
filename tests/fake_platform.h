// A hand-driven platform for unit tests of the Accessibility utilities and
// the interface builder: elements whose attributes, name lists, process
// identifiers and settability a test sets directly, a screen list, a record
// of the Accessibility calls made, and the images AppKit knows by name.
// Only accessibility(), screens() and appKit()'s imageNamed exist; any other
// service aborts, since the code under test must not reach it.
#pragma once

#include <sys/types.h>

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace fake {

class Element final : public platform::UIElement {
 public:
  std::string description() const override { return "<fake element>"; }

  // What AXUIElementCopyAttributeValue delivers, listed or not.
  std::map<std::string, platform::Ref<platform::Object>> values;
  // What AXUIElementCopyAttributeNames delivers; nothing means it fails.
  std::optional<std::vector<std::string>> names;
  std::optional<pid_t> pid;              // nothing: getPid fails
  std::map<std::string, bool> settable;  // absent: isAttributeSettable fails
  std::vector<std::string> performed;    // actions, in order
  std::vector<std::string> written;      // attributes set, in order

  // Gives the attribute a value and lists it.
  void set(const std::string& attribute, platform::Ref<platform::Object> value);
};

platform::Ref<Element> makeElement();

class Accessibility final : public platform::Accessibility {
 public:
  // Every attribute-value copy, as "ATTRIBUTE", in order.
  std::vector<std::string> valueCopies;

  platform::Ref<platform::UIElement> createSystemWide() override;
  platform::Ref<platform::UIElement> createApplication(pid_t pid) override;
  platform::AXError copyElementAtPosition(const platform::UIElement* root, float x, float y,
                                          platform::Ref<platform::UIElement>* element) override;
  platform::AXError copyAttributeNames(const platform::UIElement* e,
                                       platform::Ref<platform::Array>* names) override;
  platform::AXError copyAttributeValue(const platform::UIElement* e, const std::string& attribute,
                                       platform::Ref<platform::Object>* value) override;
  platform::AXError getAttributeValueCount(const platform::UIElement* e,
                                           const std::string& attribute, long* count) override;
  platform::AXError isAttributeSettable(const platform::UIElement* e, const std::string& attribute,
                                        bool* settable) override;
  platform::AXError setAttributeValue(const platform::UIElement* e, const std::string& attribute,
                                      const platform::Object& value) override;
  platform::AXError copyActionNames(const platform::UIElement* e,
                                    platform::Ref<platform::Array>* names) override;
  platform::AXError copyActionDescription(const platform::UIElement* e, const std::string& action,
                                          platform::Ref<platform::String>* description) override;
  platform::AXError performAction(const platform::UIElement* e, const std::string& action) override;
  platform::AXError getPid(const platform::UIElement* e, pid_t* pid) override;
  bool isProcessTrusted() override { return true; }
  bool isProcessTrustedWithOptions(bool) override { return true; }
};

class Screens final : public platform::Screens {
 public:
  std::vector<platform::Rect> frames;
  const std::vector<platform::Rect>& screenFrames() override { return frames; }
};

class Image final : public platform::Image {
 public:
  explicit Image(std::string name) : name_(std::move(name)) {}
  const std::string& name() const override { return name_; }
  void setTemplate(bool isTemplate) override { template_ = isTemplate; }
  bool isTemplate() const override { return template_; }

 private:
  std::string name_;
  bool template_ = false;
};

class AppKit final : public platform::AppKit {
 public:
  // The names imageNamed knows; each gives one shared image, as AppKit does.
  std::set<std::string> imageNames;

  std::shared_ptr<platform::Image> imageNamed(const std::string& name) override;
  std::shared_ptr<platform::StatusItem> statusItemWithLength(double) override;
  platform::NibContents loadNib(const std::string&, platform::NibObject*) override;

 private:
  std::map<std::string, std::shared_ptr<Image>> images_;
};

class Platform final : public platform::Platform {
 public:
  Accessibility ax;
  Screens screenList;
  AppKit kit;

  platform::Accessibility& accessibility() override { return ax; }
  platform::Screens& screens() override { return screenList; }

  platform::Application& application() override { unused("application"); }
  platform::RunLoop& runLoop() override { unused("runLoop"); }
  platform::UserDefaults& userDefaults() override { unused("userDefaults"); }
  platform::UserDefaultsController& userDefaultsController() override {
    unused("userDefaultsController");
  }
  platform::NotificationCenter& notificationCenter() override { unused("notificationCenter"); }
  platform::Events& events() override { unused("events"); }
  platform::Workspace& workspace() override { unused("workspace"); }
  platform::Log& log() override { unused("log"); }
  platform::KeyValueObserving& keyValueObserving() override { unused("keyValueObserving"); }
  platform::AppKit& appKit() override { return kit; }
  platform::Bundle& bundle() override { unused("bundle"); }
  platform::Updater& updater() override { unused("updater"); }
  platform::LoginItems& loginItems() override { unused("loginItems"); }

  // Stops the test: the code under test reached a service this fake lacks.
  [[noreturn]] static void unused(const char* service);
};

// Binds a fake platform for the life of the scope.
class ScopedPlatform {
 public:
  ScopedPlatform() { platform::bind(&platform_); }
  ~ScopedPlatform() { platform::bind(nullptr); }
  ScopedPlatform(const ScopedPlatform&) = delete;
  ScopedPlatform& operator=(const ScopedPlatform&) = delete;
  Platform* operator->() { return &platform_; }

 private:
  Platform platform_;
};

}  // namespace fake
