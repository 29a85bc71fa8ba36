#include "mac/mac_accessibility.h"

#include <optional>
#include <typeinfo>

#include "backend/engine_timing.h"
#include "backend/permission_prompt.h"
#include "backend/trace.h"
#include "mac/cf_values.h"
#include "mac/mac_trace.h"

// After the platform headers: the SDK's AX attribute macros would rewrite
// the platform's constants of the same names.
#import <AppKit/AppKit.h>
#include <ApplicationServices/ApplicationServices.h>

namespace mac {

using platform::Ref;

Ref<platform::UIElement> MacElement::adopt(CFTypeRef element) {
  if (!element) return nullptr;
  return Ref<platform::UIElement>::adopt(new MacElement(element));
}

Ref<platform::UIElement> MacElement::retain(CFTypeRef element) {
  if (!element) return nullptr;
  return adopt(CFRetain(element));
}

CFTypeRef MacElement::handleOf(const platform::UIElement* e) {
  // MacElement is final: an exact type test does what dynamic_cast would.
  if (!e || typeid(*e) != typeid(MacElement)) return nullptr;
  return static_cast<const MacElement*>(e)->element_;
}

MacElement::~MacElement() { CFRelease(element_); }

std::string MacElement::description() const { return describeCF(element_); }

namespace {

using CFString = ScopedCF<CFStringRef>;

CFString cfName(const std::string& name) { return CFString::adopt(createCFString(name)); }

std::optional<std::string> stringAttribute(AXUIElementRef element, CFStringRef attribute) {
  ScopedCF<CFTypeRef> value;
  if (AXUIElementCopyAttributeValue(element, attribute, value.out()) != kAXErrorSuccess || !value ||
      CFGetTypeID(value.get()) != CFStringGetTypeID())
    return std::nullopt;
  return stringFromCF(static_cast<CFStringRef>(value.get()));
}

Ref<platform::Array> arrayFrom(CFArrayRef array) {
  auto value = objectFromCF(array);
  return Ref<platform::Array>::retain(platform::as<platform::Array>(value.get()));
}

}  // namespace

static_assert(backend::kEngineActivityOptions == NSActivityUserInitiatedAllowingIdleSystemSleep);
static_assert(backend::kActivityIdleSystemSleepDisabled == NSActivityIdleSystemSleepDisabled);
static_assert(backend::kActivityIdleDisplaySleepDisabled == NSActivityIdleDisplaySleepDisabled);
static_assert(backend::kActivityLatencyCritical == NSActivityLatencyCritical);

struct MacAccessibility::Activity {
  id<NSObject> token;  // the activity ends when the token goes
};

MacAccessibility::MacAccessibility() = default;
MacAccessibility::~MacAccessibility() = default;

Ref<platform::UIElement> MacAccessibility::createSystemWide() {
  tracer().axSystemwide();
  AXUIElementRef element = AXUIElementCreateSystemWide();
  if (!activity_) {
    NSProcessInfo* process = [NSProcessInfo processInfo];
    id<NSObject> token = [process beginActivityWithOptions:backend::kEngineActivityOptions
                                                    reason:@(backend::kEngineActivityReason)];
    activity_ = std::make_unique<Activity>(Activity{token});
  }
  return MacElement::adopt(element);
}

Ref<platform::UIElement> MacAccessibility::createApplication(pid_t pid) {
  // No process has a number below 1; the platform would still hand out a
  // handle that answers nothing.
  if (pid <= 0) return nullptr;
  return MacElement::adopt(AXUIElementCreateApplication(pid));
}

namespace {
AXUIElementRef axElement(const void* handle) { return static_cast<AXUIElementRef>(handle); }
}  // namespace

MacAccessibility::Handle MacAccessibility::handleOf(const Element* e) const {
  return MacElement::handleOf(e);
}

platform::AXError MacAccessibility::elementAt(Handle root, float x, float y, Ref<Element>* found) {
  ScopedCF<AXUIElementRef> result;
  AXError err = AXUIElementCopyElementAtPosition(axElement(root), x, y, result.out());
  *found = MacElement::adopt(result.take());
  return err;
}

platform::AXError MacAccessibility::attributeNames(Handle e, Ref<platform::Array>* names) {
  ScopedCF<CFArrayRef> result;
  AXError err = AXUIElementCopyAttributeNames(axElement(e), result.out());
  *names = arrayFrom(result.get());
  return err;
}

platform::AXError MacAccessibility::attributeValue(Handle e, const std::string& attribute,
                                                   Ref<platform::Object>* value) {
  ScopedCF<CFTypeRef> result;
  AXError err = AXUIElementCopyAttributeValue(axElement(e), cfName(attribute).get(), result.out());
  *value = objectFromCF(result.get());
  return err;
}

platform::AXError MacAccessibility::attributeValueCount(Handle e, const std::string& attribute,
                                                        long* count) {
  CFIndex n = 0;
  AXError err = AXUIElementGetAttributeValueCount(axElement(e), cfName(attribute).get(), &n);
  *count = n;
  return err;
}

platform::AXError MacAccessibility::attributeSettable(Handle e, const std::string& attribute,
                                                      bool* settable) {
  Boolean flag = false;
  AXError err = AXUIElementIsAttributeSettable(axElement(e), cfName(attribute).get(), &flag);
  *settable = flag;
  return err;
}

platform::AXError MacAccessibility::setAttribute(Handle e, const std::string& attribute,
                                                 const platform::Object& value) {
  auto cfValue = ScopedCF<CFTypeRef>::adopt(createCFValue(value));
  if (!cfValue) return platform::kAXErrorIllegalArgument;
  return AXUIElementSetAttributeValue(axElement(e), cfName(attribute).get(), cfValue.get());
}

platform::AXError MacAccessibility::actionNames(Handle e, Ref<platform::Array>* names) {
  ScopedCF<CFArrayRef> result;
  AXError err = AXUIElementCopyActionNames(axElement(e), result.out());
  *names = arrayFrom(result.get());
  return err;
}

platform::AXError MacAccessibility::actionDescription(Handle e, const std::string& action,
                                                      Ref<platform::String>* description) {
  CFString result;
  AXError err = AXUIElementCopyActionDescription(axElement(e), cfName(action).get(), result.out());
  *description = Ref<platform::String>::retain(
      platform::as<platform::String>(objectFromCF(result.get()).get()));
  return err;
}

platform::AXError MacAccessibility::perform(Handle e, const std::string& action) {
  return AXUIElementPerformAction(axElement(e), cfName(action).get());
}

platform::AXError MacAccessibility::processOf(Handle e, pid_t* pid) {
  return AXUIElementGetPid(axElement(e), pid);
}

bool MacAccessibility::tracing() const { return tracer().on(); }

std::string MacAccessibility::traceLabel(Handle e) {
  return backend::elementLabel(true, stringAttribute(axElement(e), CFSTR("AXTitle")),
                               stringAttribute(axElement(e), CFSTR("AXRole")));
}

void MacAccessibility::traceAction(const std::string& action, const std::string& label,
                                   AXError err) {
  tracer().axAction(action, label, err);
}

bool MacAccessibility::isEqual(const platform::UIElement* a, const platform::UIElement* b) {
  // Each read hands out a new handle; CFEqual compares what they point at.
  CFTypeRef x = MacElement::handleOf(a);
  CFTypeRef y = MacElement::handleOf(b);
  if (!x || !y) return a == b;
  return CFEqual(x, y);
}

bool MacAccessibility::isProcessTrusted() { return AXIsProcessTrusted(); }

bool MacAccessibility::isProcessTrustedWithOptions(bool prompt) {
  const void* keys[] = {kAXTrustedCheckOptionPrompt};
  const void* values[] = {prompt ? kCFBooleanTrue : kCFBooleanFalse};
  auto options = ScopedCF<CFDictionaryRef>::adopt(
      CFDictionaryCreate(kCFAllocatorDefault, keys, values, 1, &kCFTypeDictionaryKeyCallBacks,
                         &kCFTypeDictionaryValueCallBacks));
  bool trusted = AXIsProcessTrustedWithOptions(options.get());
  // The platform shows its prompt only to a process that is not trusted.
  if (prompt && !trusted) tracer().axPrompt();
  if (backend::opensAccessibilitySettings(prompt, trusted))
    [[NSWorkspace sharedWorkspace]
        openURL:[NSURL URLWithString:@(backend::kAccessibilitySettingsURL)]];
  return trusted;
}

}  // namespace mac
