#include "tests/fake_platform.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace fake {

using platform::AXError;
using platform::Ref;

namespace {

Element* mutableElement(const platform::UIElement* e) {
  return const_cast<Element*>(dynamic_cast<const Element*>(e));
}

}  // namespace

void Element::set(const std::string& attribute, Ref<platform::Object> value) {
  values[attribute] = std::move(value);
  if (!names) names.emplace();
  if (std::find(names->begin(), names->end(), attribute) == names->end())
    names->push_back(attribute);
}

Ref<Element> makeElement() { return platform::make<Element>(); }

Ref<platform::UIElement> Accessibility::createSystemWide() { return makeElement(); }

Ref<platform::UIElement> Accessibility::createApplication(pid_t) { return nullptr; }

AXError Accessibility::copyElementAtPosition(const platform::UIElement*, float, float,
                                             Ref<platform::UIElement>*) {
  return platform::kAXErrorNoValue;
}

AXError Accessibility::copyAttributeNames(const platform::UIElement* e, Ref<platform::Array>* out) {
  auto* element = mutableElement(e);
  if (!element) return platform::kAXErrorIllegalArgument;
  if (!element->names) return platform::kAXErrorCannotComplete;
  *out = platform::stringArray(*element->names);
  return platform::kAXErrorSuccess;
}

AXError Accessibility::copyAttributeValue(const platform::UIElement* e,
                                          const std::string& attribute,
                                          Ref<platform::Object>* value) {
  valueCopies.push_back(attribute);
  auto* element = mutableElement(e);
  if (!element) return platform::kAXErrorIllegalArgument;
  auto it = element->values.find(attribute);
  if (it == element->values.end()) return platform::kAXErrorAttributeUnsupported;
  if (!it->second) return platform::kAXErrorNoValue;
  *value = it->second;
  return platform::kAXErrorSuccess;
}

AXError Accessibility::getAttributeValueCount(const platform::UIElement* e,
                                              const std::string& attribute, long* count) {
  auto* element = mutableElement(e);
  if (!element) return platform::kAXErrorIllegalArgument;
  auto it = element->values.find(attribute);
  auto* array =
      it == element->values.end() ? nullptr : platform::as<platform::Array>(it->second.get());
  if (!array) return platform::kAXErrorIllegalArgument;
  *count = static_cast<long>(array->count());
  return platform::kAXErrorSuccess;
}

AXError Accessibility::isAttributeSettable(const platform::UIElement* e,
                                           const std::string& attribute, bool* settable) {
  auto* element = mutableElement(e);
  if (!element) return platform::kAXErrorIllegalArgument;
  auto it = element->settable.find(attribute);
  if (it == element->settable.end()) return platform::kAXErrorAttributeUnsupported;
  *settable = it->second;
  return platform::kAXErrorSuccess;
}

AXError Accessibility::setAttributeValue(const platform::UIElement* e, const std::string& attribute,
                                         const platform::Object& value) {
  auto* element = mutableElement(e);
  if (!element) return platform::kAXErrorIllegalArgument;
  element->written.push_back(attribute);
  element->values[attribute] = Ref<platform::Object>::retain(const_cast<platform::Object*>(&value));
  return platform::kAXErrorSuccess;
}

AXError Accessibility::copyActionNames(const platform::UIElement*, Ref<platform::Array>*) {
  return platform::kAXErrorCannotComplete;
}

AXError Accessibility::copyActionDescription(const platform::UIElement*, const std::string&,
                                             Ref<platform::String>*) {
  return platform::kAXErrorCannotComplete;
}

AXError Accessibility::performAction(const platform::UIElement* e, const std::string& action) {
  auto* element = mutableElement(e);
  if (!element) return platform::kAXErrorIllegalArgument;
  element->performed.push_back(action);
  return platform::kAXErrorSuccess;
}

AXError Accessibility::getPid(const platform::UIElement* e, pid_t* pid) {
  auto* element = mutableElement(e);
  if (!element) return platform::kAXErrorIllegalArgument;
  if (!element->pid) return platform::kAXErrorInvalidUIElement;
  *pid = *element->pid;
  return platform::kAXErrorSuccess;
}

std::shared_ptr<platform::Image> AppKit::imageNamed(const std::string& name) {
  if (!imageNames.count(name)) return nullptr;
  auto& image = images_[name];
  if (!image) image = std::make_shared<Image>(name);
  return image;
}

std::shared_ptr<platform::StatusItem> AppKit::statusItemWithLength(double) {
  Platform::unused("the status bar");
}

platform::NibContents AppKit::loadNib(const std::string&, platform::NibObject*) {
  Platform::unused("loadNib");
}

void Platform::unused(const char* service) {
  std::fprintf(stderr, "fake platform: %s is not part of this fake\n", service);
  std::abort();
}

}  // namespace fake
