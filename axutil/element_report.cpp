// The full report of one element: its lineage, attributes and actions.
#include <cstdio>

#include "axutil/ui_element_utilities.h"
#include "axutil/utilities_internal.h"
#include "platform/platform.h"

using axutil_internal::ax;
using axutil_internal::textOf;
using platform::Ref;

std::optional<std::string> UIElementUtilities::descriptionForUIElement(const Element* element,
                                                                       const std::string& attribute,
                                                                       bool beingVerbose) {
  // Children and rows can be many; their number is all the text shows.
  if (attribute == platform::kAXChildrenAttribute || attribute == platform::kAXRowsAttribute) {
    long count = 0;
    if (ax().getAttributeValueCount(element, attribute, &count) == platform::kAXErrorSuccess) {
      char buf[48];
      std::snprintf(buf, sizeof buf, "<array of size %ld>", count);
      return buf;
    }
  }
  Ref<platform::Object> value;
  if (ax().copyAttributeValue(element, attribute, &value) != platform::kAXErrorSuccess || !value)
    return std::nullopt;
  return descriptionOfValue(value.get(), beingVerbose);
}

std::string UIElementUtilities::stringDescriptionOfUIElement(const Element* element) {
  std::string text = lineageDescriptionOfUIElement(element);

  auto attributes = attributeNamesOfUIElement(element);
  if (attributes && attributes->count() > 0) {
    text += "\nAttributes:\n";
    for (std::size_t i = 0; i < attributes->count(); ++i) {
      std::string name = textOf(attributes->at(i));
      std::string suffix = canSetAttribute(name, element) ? " (W)" : "";
      auto description = descriptionForUIElement(element, name, false);
      text += "   " + name + suffix + ":  \u201C" + description.value_or("(null)") + "\u201D\n";
    }
  }

  auto actions = actionNamesOfUIElement(element);
  if (actions && actions->count() > 0) {
    text += "\nActions:\n";
    for (std::size_t i = 0; i < actions->count(); ++i) {
      std::string name = textOf(actions->at(i));
      auto description = descriptionOfAction(name, element);
      text += "   " + name + " - " + textOf(description.get()) + "\n";
    }
  }
  return text;
}

std::string UIElementUtilities::descriptionOfAXDescriptionOfUIElement(const Element* element) {
  auto description = valueOfAttribute(platform::kAXDescriptionAttribute, element);
  auto* text = platform::as<platform::String>(description.get());
  if (!description || (text && text->str().empty())) return "No Description";
  return description->description();
}
