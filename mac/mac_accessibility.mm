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

// The boundary's rule for handles: null is an illegal argument, answered
// without asking the platform; a handle of another desktop is no element.
platform::AXError admit(const platform::UIElement* e, AXUIElementRef* out) {
  if (!e) return platform::kAXErrorIllegalArgument;
  *out = static_cast<AXUIElementRef>(MacElement::handleOf(e));
  return *out ? platform::kAXErrorSuccess : platform::kAXErrorInvalidUIElement;
}

CFString cfName(const std::string& name) { return CFString::adopt(createCFString(name)); }

std::optional<std::string> stringAttribute(AXUIElementRef element, CFStringRef attribute) {
  ScopedCF<CFTypeRef> value;
  if (AXUIElementCopyAttributeValue(element, attribute, value.out()) != kAXErrorSuccess || !value ||
      CFGetTypeID(value.get()) != CFStringGetTypeID())
    return std::nullopt;
  return stringFromCF(static_cast<CFStringRef>(value.get()));
}

// How the trace names an element: read only when the trace is on.
std::string traceLabel(AXUIElementRef element) {
  if (!element) return backend::elementLabel(false, std::nullopt, std::nullopt);
  return backend::elementLabel(true, stringAttribute(element, CFSTR("AXTitle")),
                               stringAttribute(element, CFSTR("AXRole")));
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
  if (auto* t = trace()) t->axSystemwide();
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

platform::AXError MacAccessibility::copyElementAtPosition(const platform::UIElement* root, float x,
                                                          float y,
                                                          Ref<platform::UIElement>* element) {
  AXUIElementRef handle = nullptr;
  if (platform::AXError err = admit(root, &handle)) return err;
  if (!element) return platform::kAXErrorIllegalArgument;
  ScopedCF<AXUIElementRef> found;
  AXError err = AXUIElementCopyElementAtPosition(handle, x, y, found.out());
  if (err == kAXErrorSuccess && found) *element = MacElement::adopt(found.take());
  return err;
}

platform::AXError MacAccessibility::copyAttributeNames(const platform::UIElement* e,
                                                       Ref<platform::Array>* names) {
  AXUIElementRef handle = nullptr;
  if (platform::AXError err = admit(e, &handle)) return err;
  if (!names) return platform::kAXErrorIllegalArgument;
  ScopedCF<CFArrayRef> result;
  AXError err = AXUIElementCopyAttributeNames(handle, result.out());
  if (err == kAXErrorSuccess && result) *names = arrayFrom(result.get());
  return err;
}

platform::AXError MacAccessibility::copyAttributeValue(const platform::UIElement* e,
                                                       const std::string& attribute,
                                                       Ref<platform::Object>* value) {
  AXUIElementRef handle = nullptr;
  if (platform::AXError err = admit(e, &handle)) return err;
  CFString name = cfName(attribute);
  if (!name || !value) return platform::kAXErrorIllegalArgument;
  ScopedCF<CFTypeRef> result;
  AXError err = AXUIElementCopyAttributeValue(handle, name.get(), result.out());
  // A value of a type the platform has no kind for arrives as no value.
  if (err == kAXErrorSuccess) *value = objectFromCF(result.get());
  return err;
}

platform::AXError MacAccessibility::getAttributeValueCount(const platform::UIElement* e,
                                                           const std::string& attribute,
                                                           long* count) {
  AXUIElementRef handle = nullptr;
  if (platform::AXError err = admit(e, &handle)) return err;
  CFString name = cfName(attribute);
  if (!name || !count) return platform::kAXErrorIllegalArgument;
  CFIndex n = 0;
  AXError err = AXUIElementGetAttributeValueCount(handle, name.get(), &n);
  if (err == kAXErrorSuccess) *count = n;
  return err;
}

platform::AXError MacAccessibility::isAttributeSettable(const platform::UIElement* e,
                                                        const std::string& attribute,
                                                        bool* settable) {
  AXUIElementRef handle = nullptr;
  if (platform::AXError err = admit(e, &handle)) return err;
  CFString name = cfName(attribute);
  if (!name || !settable) return platform::kAXErrorIllegalArgument;
  Boolean flag = false;
  AXError err = AXUIElementIsAttributeSettable(handle, name.get(), &flag);
  if (err == kAXErrorSuccess) *settable = flag;
  return err;
}

platform::AXError MacAccessibility::setAttributeValue(const platform::UIElement* e,
                                                      const std::string& attribute,
                                                      const platform::Object& value) {
  AXUIElementRef handle = nullptr;
  if (platform::AXError err = admit(e, &handle)) return err;
  CFString name = cfName(attribute);
  auto cfValue = ScopedCF<CFTypeRef>::adopt(createCFValue(value));
  if (!name || !cfValue) return platform::kAXErrorIllegalArgument;
  return AXUIElementSetAttributeValue(handle, name.get(), cfValue.get());
}

platform::AXError MacAccessibility::copyActionNames(const platform::UIElement* e,
                                                    Ref<platform::Array>* names) {
  AXUIElementRef handle = nullptr;
  if (platform::AXError err = admit(e, &handle)) return err;
  if (!names) return platform::kAXErrorIllegalArgument;
  ScopedCF<CFArrayRef> result;
  AXError err = AXUIElementCopyActionNames(handle, result.out());
  if (err == kAXErrorSuccess && result) *names = arrayFrom(result.get());
  return err;
}

platform::AXError MacAccessibility::copyActionDescription(const platform::UIElement* e,
                                                          const std::string& action,
                                                          Ref<platform::String>* description) {
  AXUIElementRef handle = nullptr;
  if (platform::AXError err = admit(e, &handle)) return err;
  CFString name = cfName(action);
  if (!name || !description) return platform::kAXErrorIllegalArgument;
  CFString result;
  AXError err = AXUIElementCopyActionDescription(handle, name.get(), result.out());
  if (err == kAXErrorSuccess && result)
    *description = platform::make<platform::String>(stringFromCF(result.get()).value_or(""));
  return err;
}

platform::AXError MacAccessibility::performAction(const platform::UIElement* e,
                                                  const std::string& action) {
  AXUIElementRef handle = nullptr;
  platform::AXError err = admit(e, &handle);
  CFString name = cfName(action);
  if (!err && !name) err = platform::kAXErrorIllegalArgument;
  // Named before the action: a press may take the element away.
  std::string label;
  if (trace()) label = traceLabel(handle);
  if (!err) err = AXUIElementPerformAction(handle, name.get());
  if (auto* t = trace()) t->axAction(action, label, err);
  return err;
}

platform::AXError MacAccessibility::getPid(const platform::UIElement* e, pid_t* pid) {
  AXUIElementRef handle = nullptr;
  if (platform::AXError err = admit(e, &handle)) return err;
  if (!pid) return platform::kAXErrorIllegalArgument;
  pid_t owner = 0;
  AXError err = AXUIElementGetPid(handle, &owner);
  if (err == kAXErrorSuccess) *pid = owner;
  return err;
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
  if (prompt && !trusted)
    if (auto* t = trace()) t->axPrompt();
  if (backend::opensAccessibilitySettings(prompt, trusted))
    [[NSWorkspace sharedWorkspace]
        openURL:[NSURL URLWithString:@(backend::kAccessibilitySettingsURL)]];
  return trusted;
}

}  // namespace mac
