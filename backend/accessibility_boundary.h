// The rules of every Accessibility call that reaches another process, kept
// once for the backends that make such calls:
// - a null element is an illegal argument, answered without asking;
// - an element of another desktop (or of none) is no element;
// - a name that is not UTF-8, or no place for the result, is an illegal
//   argument;
// - a result is handed over only on success, and a copied element, array
//   or description only when there is one; on failure the caller's value
//   stays as it was.
// A backend implements the protected calls with one platform call each,
// on a handle that is known to be its own.
#pragma once

#include <string>
#include <string_view>

#include "platform/accessibility.h"

namespace backend {

class AccessibilityBoundary : public platform::Accessibility {
 public:
  using AXError = platform::AXError;
  template <class T>
  using Ref = platform::Ref<T>;
  using Element = platform::UIElement;

  AXError copyElementAtPosition(const Element* root, float x, float y, Ref<Element>* element) final;
  AXError copyAttributeNames(const Element* e, Ref<platform::Array>* names) final;
  AXError copyAttributeValue(const Element* e, const std::string& attribute,
                             Ref<platform::Object>* value) final;
  AXError getAttributeValueCount(const Element* e, const std::string& attribute, long* count) final;
  AXError isAttributeSettable(const Element* e, const std::string& attribute, bool* settable) final;
  AXError setAttributeValue(const Element* e, const std::string& attribute,
                            const platform::Object& value) final;
  AXError copyActionNames(const Element* e, Ref<platform::Array>* names) final;
  AXError copyActionDescription(const Element* e, const std::string& action,
                                Ref<platform::String>* description) final;
  // Traced whether or not it succeeds, naming the element as it was
  // before the action (a press may take it away).
  AXError performAction(const Element* e, const std::string& action) final;
  AXError getPid(const Element* e, pid_t* pid) final;

 protected:
  using Handle = const void*;
  // The backend's handle behind `e`; null when `e` is not one of its own.
  virtual Handle handleOf(const Element* e) const = 0;

  virtual AXError elementAt(Handle root, float x, float y, Ref<Element>* found) = 0;
  virtual AXError attributeNames(Handle e, Ref<platform::Array>* names) = 0;
  // `value` becomes null for a value of no platform kind.
  virtual AXError attributeValue(Handle e, const std::string& attribute,
                                 Ref<platform::Object>* value) = 0;
  virtual AXError attributeValueCount(Handle e, const std::string& attribute, long* count) = 0;
  virtual AXError attributeSettable(Handle e, const std::string& attribute, bool* settable) = 0;
  // IllegalArgument when the value has no form the platform can hold.
  virtual AXError setAttribute(Handle e, const std::string& attribute,
                               const platform::Object& value) = 0;
  virtual AXError actionNames(Handle e, Ref<platform::Array>* names) = 0;
  virtual AXError actionDescription(Handle e, const std::string& action,
                                    Ref<platform::String>* description) = 0;
  virtual AXError perform(Handle e, const std::string& action) = 0;
  virtual AXError processOf(Handle e, pid_t* pid) = 0;
  // Whether actions are traced; how the trace names an element, asked
  // before the action only while tracing (it asks the element's process);
  // and the action's trace line.
  virtual bool tracing() const = 0;
  virtual std::string traceLabel(Handle e) = 0;
  virtual void traceAction(const std::string& action, const std::string& label, AXError err) = 0;

 private:
  AXError admit(const Element* e, Handle* out) const;
  AXError admitNamed(const Element* e, const std::string& name, const void* result,
                     Handle* out) const;
  // Admits the call, makes it into a result of its own and hands that over.
  template <class Out, class Call>
  AXError copy(const Element* e, const std::string& name, Out* out, Call call);
};

}  // namespace backend
