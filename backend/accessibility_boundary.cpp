#include "backend/accessibility_boundary.h"

#include "backend/trace.h"
#include "backend/utf8.h"

namespace backend {

namespace {

constexpr platform::AXError kSuccess = platform::kAXErrorSuccess;

// Hands `result` over on success, when there is one.
template <class T>
platform::AXError handOver(platform::AXError err, platform::Ref<T>& result, platform::Ref<T>* out) {
  if (err == kSuccess && result) *out = std::move(result);
  return err;
}

template <class T>
platform::AXError handOver(platform::AXError err, const T& result, T* out) {
  if (err == kSuccess) *out = result;
  return err;
}

}  // namespace

platform::AXError AccessibilityBoundary::admit(const Element* e, Handle* out) const {
  if (!e) return platform::kAXErrorIllegalArgument;
  *out = handleOf(e);
  return *out ? kSuccess : platform::kAXErrorInvalidUIElement;
}

platform::AXError AccessibilityBoundary::admitNamed(const Element* e, const std::string& name,
                                                    const void* result, Handle* out) const {
  if (AXError err = admit(e, out)) return err;
  if (!result || !isWellFormedUTF8(name)) return platform::kAXErrorIllegalArgument;
  return kSuccess;
}

template <class Out, class Call>
platform::AXError AccessibilityBoundary::copy(const Element* e, const std::string& name, Out* out,
                                              Call call) {
  Handle h = nullptr;
  if (AXError err = admitNamed(e, name, out, &h)) return err;
  Out result{};
  return handOver(call(h, &result), result, out);
}

platform::AXError AccessibilityBoundary::copyElementAtPosition(const Element* root, float x,
                                                               float y, Ref<Element>* element) {
  return copy(root, "", element,
              [&](Handle h, Ref<Element>* found) { return elementAt(h, x, y, found); });
}

platform::AXError AccessibilityBoundary::copyAttributeNames(const Element* e,
                                                            Ref<platform::Array>* names) {
  return copy(e, "", names,
              [&](Handle h, Ref<platform::Array>* result) { return attributeNames(h, result); });
}

platform::AXError AccessibilityBoundary::copyAttributeValue(const Element* e,
                                                            const std::string& attribute,
                                                            Ref<platform::Object>* value) {
  Handle h = nullptr;
  if (AXError err = admitNamed(e, attribute, value, &h)) return err;
  // A value of no platform kind arrives as no value: handed over even null.
  Ref<platform::Object> result;
  AXError err = attributeValue(h, attribute, &result);
  if (err == kSuccess) *value = std::move(result);
  return err;
}

platform::AXError AccessibilityBoundary::getAttributeValueCount(const Element* e,
                                                                const std::string& attribute,
                                                                long* count) {
  return copy(e, attribute, count,
              [&](Handle h, long* n) { return attributeValueCount(h, attribute, n); });
}

platform::AXError AccessibilityBoundary::isAttributeSettable(const Element* e,
                                                             const std::string& attribute,
                                                             bool* settable) {
  return copy(e, attribute, settable,
              [&](Handle h, bool* flag) { return attributeSettable(h, attribute, flag); });
}

platform::AXError AccessibilityBoundary::setAttributeValue(const Element* e,
                                                           const std::string& attribute,
                                                           const platform::Object& value) {
  Handle h = nullptr;
  if (AXError err = admitNamed(e, attribute, &value, &h)) return err;
  return setAttribute(h, attribute, value);
}

platform::AXError AccessibilityBoundary::copyActionNames(const Element* e,
                                                         Ref<platform::Array>* names) {
  return copy(e, "", names,
              [&](Handle h, Ref<platform::Array>* result) { return actionNames(h, result); });
}

platform::AXError AccessibilityBoundary::copyActionDescription(const Element* e,
                                                               const std::string& action,
                                                               Ref<platform::String>* description) {
  return copy(e, action, description, [&](Handle h, Ref<platform::String>* result) {
    return actionDescription(h, action, result);
  });
}

platform::AXError AccessibilityBoundary::performAction(const Element* e,
                                                       const std::string& action) {
  Handle h = nullptr;
  AXError err = admitNamed(e, action, &action, &h);
  // Named before the action: a press may take the element away.
  std::string label;
  if (tracing()) label = h ? traceLabel(h) : elementLabel(false, std::nullopt, std::nullopt);
  if (err == kSuccess) err = perform(h, action);
  traceAction(action, label, err);
  return err;
}

platform::AXError AccessibilityBoundary::getPid(const Element* e, pid_t* pid) {
  return copy(e, "", pid, [&](Handle h, pid_t* owner) { return processOf(h, owner); });
}

}  // namespace backend
