#include <cstdio>
#include <cstdlib>

#include "axutil/ui_element_utilities.h"
#include "axutil/utilities_internal.h"
#include "platform/platform.h"

using axutil_internal::ax;
using platform::Ref;

pid_t UIElementUtilities::processIdentifierOfUIElement(const Element* element) {
  pid_t pid = 0;
  return ax().getPid(element, &pid) == platform::kAXErrorSuccess ? pid : -1;
}

pid_t UIElementUtilities::processIdentifierOfUIElement_old(const Element* element) {
  pid_t pid = 0;
  return ax().getPid(element, &pid) == platform::kAXErrorSuccess ? pid : 0;
}

Ref<platform::Array> UIElementUtilities::attributeNamesOfUIElement(const Element* element) {
  Ref<platform::Array> names;
  ax().copyAttributeNames(element, &names);
  return names;
}

Ref<platform::Array> UIElementUtilities::actionNamesOfUIElement(const Element* element) {
  Ref<platform::Array> names;
  ax().copyActionNames(element, &names);
  return names;
}

Ref<platform::String> UIElementUtilities::descriptionOfAction(const std::string& action,
                                                              const Element* element) {
  Ref<platform::String> description;
  ax().copyActionDescription(element, action, &description);
  return description;
}

void UIElementUtilities::performAction(const std::string& action, const Element* element) {
  ax().performAction(element, action);
}

Ref<platform::Object> UIElementUtilities::valueOfAttribute(const std::string& attribute,
                                                           const Element* element) {
  // Ask for the value only when the element lists the attribute: some
  // elements answer for attributes they do not advertise, and the Dock's
  // "AXShownMenuUIElement" must read as absent unless a menu is open.
  auto names = attributeNamesOfUIElement(element);
  if (!names || !platform::arrayContainsString(*names, attribute)) return nullptr;
  Ref<platform::Object> value;
  if (ax().copyAttributeValue(element, attribute, &value) != platform::kAXErrorSuccess)
    return nullptr;
  return value;
}

bool UIElementUtilities::canSetAttribute(const std::string& attribute, const Element* element) {
  bool settable = false;
  ax().isAttributeSettable(element, attribute, &settable);
  return settable;
}

namespace {

// Builds the new AXValue from text in the terse format of its type. Every
// field must be present: a partly matching text leaves the attribute as it is.
Ref<platform::AXValue> axValueFromText(platform::AXValueType type, const char* text) {
  float a = 0, b = 0, c = 0, d = 0;
  switch (type) {
    case platform::kAXValueCGPointType: {
      if (std::sscanf(text, "x=%g y=%g", &a, &b) != 2) return nullptr;
      platform::Point p{a, b};
      return platform::AXValue::create(type, &p);
    }
    case platform::kAXValueCGSizeType: {
      if (std::sscanf(text, "w=%g h=%g", &a, &b) != 2) return nullptr;
      platform::Size s{a, b};
      return platform::AXValue::create(type, &s);
    }
    case platform::kAXValueCGRectType: {
      if (std::sscanf(text, "x=%g y=%g w=%g h=%g", &a, &b, &c, &d) != 4) return nullptr;
      platform::Rect r{{a, b}, {c, d}};
      return platform::AXValue::create(type, &r);
    }
    case platform::kAXValueCFRangeType: {
      long location = 0, length = 0;
      if (std::sscanf(text, "pos=%ld len=%ld", &location, &length) != 2) return nullptr;
      platform::Range r{location, length};
      return platform::AXValue::create(type, &r);
    }
    default: return nullptr;
  }
}

}  // namespace

void UIElementUtilities::setStringValue(const std::string& text, const char* attribute,
                                        const Element* element) {
  if (!attribute) return;
  Ref<platform::Object> current;
  if (ax().copyAttributeValue(element, attribute, &current) != platform::kAXErrorSuccess ||
      !current)
    return;
  auto type = platform::axValueType(current.get());
  if (type != platform::kAXValueTypeIllegal) {
    if (auto value = axValueFromText(type, text.c_str()))
      ax().setAttributeValue(element, attribute, *value);
    return;
  }
  switch (current->typeID()) {
    case platform::TypeID::String:
      ax().setAttributeValue(element, attribute, *platform::make<platform::String>(text));
      break;
    case platform::TypeID::Number:
    case platform::TypeID::Boolean: {
      // NSString floatValue: the leading number in single precision, 0 if none.
      float f = std::strtof(text.c_str(), nullptr);
      ax().setAttributeValue(element, attribute,
                             *platform::make<platform::Number>(static_cast<double>(f)));
      break;
    }
    default: break;
  }
}

Ref<platform::UIElement> UIElementUtilities::parentOfUIElement(const Element* element) {
  auto value = valueOfAttribute(platform::kAXParentAttribute, element);
  return Ref<Element>::retain(platform::as<Element>(value.get()));
}

Ref<platform::String> UIElementUtilities::roleOfUIElement(const Element* element) {
  auto value = valueOfAttribute(platform::kAXRoleAttribute, element);
  return Ref<platform::String>::retain(platform::as<platform::String>(value.get()));
}

Ref<platform::String> UIElementUtilities::titleOfUIElement(const Element* element) {
  auto value = valueOfAttribute(platform::kAXTitleAttribute, element);
  return Ref<platform::String>::retain(platform::as<platform::String>(value.get()));
}

bool UIElementUtilities::isApplicationUIElement(const Element* element) {
  auto role = roleOfUIElement(element);
  return role && role->str() == platform::kAXApplicationRole;
}
