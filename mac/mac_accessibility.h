// The Accessibility API of ApplicationServices behind platform::Accessibility.
//
// Plain C++: the handle is kept as a CFTypeRef, so that this header can be
// included beside the platform headers in any file (the SDK's AX attribute
// names are macros that clash with the platform's constants of the same
// names; only the .mm files see them, after the platform headers).
#pragma once

#include <CoreFoundation/CoreFoundation.h>

#include <memory>

#include "backend/accessibility_boundary.h"
#include "platform/accessibility.h"

namespace mac {

// An AXUIElementRef. It holds one reference, released when the handle goes.
class MacElement final : public platform::UIElement {
 public:
  // Takes over a reference from a Create or Copy call; null for null.
  static platform::Ref<platform::UIElement> adopt(CFTypeRef element);
  // Adds a reference to a borrowed element (one inside an array or value).
  static platform::Ref<platform::UIElement> retain(CFTypeRef element);
  // The handle behind `e`, or null when `e` is null or not one of ours.
  static CFTypeRef handleOf(const platform::UIElement* e);

  ~MacElement() override;
  MacElement(const MacElement&) = delete;
  MacElement& operator=(const MacElement&) = delete;

  // CFCopyDescription: the handle's address and its process.
  std::string description() const override;
  CFTypeRef handle() const { return element_; }

 private:
  explicit MacElement(CFTypeRef owned) : element_(owned) {}
  CFTypeRef element_;
};

class MacAccessibility final : public backend::AccessibilityBoundary {
 public:
  MacAccessibility();
  ~MacAccessibility() override;
  MacAccessibility(const MacAccessibility&) = delete;
  MacAccessibility& operator=(const MacAccessibility&) = delete;

  // The engine's start (it creates the system-wide element then, and never
  // stops): sets the process's Accessibility messaging timeout on it, and
  // from the first on holds an activity that keeps App Nap from slowing
  // the tracking timer and the delayed requests while no window shows.
  platform::Ref<platform::UIElement> createSystemWide() override;
  platform::Ref<platform::UIElement> createApplication(pid_t pid) override;
  bool isEqual(const platform::UIElement* a, const platform::UIElement* b) override;
  // AXUIElementSetMessagingTimeout (mac_messaging_timeout.mm).
  platform::AXError setMessagingTimeout(const platform::UIElement* e, float seconds) override;
  bool isProcessTrusted() override;
  // Prompting while not trusted also opens System Settings at the
  // Accessibility list: the system prompts an app once only.
  bool isProcessTrustedWithOptions(bool prompt) override;

 protected:
  Handle handleOf(const Element* e) const override;
  AXError elementAt(Handle root, float x, float y, Ref<Element>* found) override;
  AXError attributeNames(Handle e, Ref<platform::Array>* names) override;
  AXError attributeValue(Handle e, const std::string& attribute,
                         Ref<platform::Object>* value) override;
  AXError attributeValueCount(Handle e, const std::string& attribute, long* count) override;
  AXError attributeSettable(Handle e, const std::string& attribute, bool* settable) override;
  AXError setAttribute(Handle e, const std::string& attribute,
                       const platform::Object& value) override;
  AXError actionNames(Handle e, Ref<platform::Array>* names) override;
  AXError actionDescription(Handle e, const std::string& action,
                            Ref<platform::String>* description) override;
  AXError perform(Handle e, const std::string& action) override;
  AXError processOf(Handle e, pid_t* pid) override;
  bool tracing() const override;
  std::string traceLabel(Handle e) override;
  void traceAction(const std::string& action, const std::string& label, AXError err) override;

 private:
  struct Activity;  // the token of NSProcessInfo's activity
  std::unique_ptr<Activity> activity_;
};

}  // namespace mac
