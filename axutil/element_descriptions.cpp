// Text for attribute values and for an element's place in its tree.
#include <algorithm>
#include <cstdio>

#include "axutil/ui_element_utilities.h"
#include "axutil/utilities_internal.h"
#include "platform/platform.h"

using axutil_internal::ax;
using axutil_internal::textOf;
using platform::Ref;

namespace {

template <class... Args>
std::string format(const char* pattern, Args... args) {
  char buf[256];
  std::snprintf(buf, sizeof buf, pattern, args...);
  return buf;
}

// "<Role: “Title”>" or "<Role>"; an element whose role cannot be read is
// written as its handle.
std::string describeElement(const platform::UIElement* element) {
  // The role is read directly: an element that does not list "AXRole" is
  // still worth naming if it answers for it.
  Ref<platform::Object> role;
  if (ax().copyAttributeValue(element, platform::kAXRoleAttribute, &role) !=
      platform::kAXErrorSuccess)
    return element->description();
  auto title = UIElementUtilities::valueOfAttribute(platform::kAXTitleAttribute, element);
  // Appended piece by piece: GCC 12 mistakes a chain of + here for an
  // overlapping copy (-Wrestrict) at -O2.
  std::string text = "<";
  text += textOf(role.get());
  if (title) {
    text += ": \u201C";
    text += textOf(title.get());
    text += "\u201D";
  }
  text += ">";
  return text;
}

}  // namespace

std::string UIElementUtilities::stringDescriptionOfAXValue(const platform::Object* value,
                                                           bool beingVerbose) {
  auto* axValue = platform::as<platform::AXValue>(value);
  if (!axValue) return "AXValue???";
  switch (axValue->type()) {
    case platform::kAXValueCGPointType: {
      platform::Point p;
      if (!axValue->getValue(platform::kAXValueCGPointType, &p)) break;
      return format(beingVerbose ? "<AXPointValue x=%g y=%g>" : "x=%g y=%g", p.x, p.y);
    }
    case platform::kAXValueCGSizeType: {
      platform::Size s;
      if (!axValue->getValue(platform::kAXValueCGSizeType, &s)) break;
      return format(beingVerbose ? "<AXSizeValue w=%g h=%g>" : "w=%g h=%g", s.width, s.height);
    }
    case platform::kAXValueCGRectType: {
      platform::Rect r;
      if (!axValue->getValue(platform::kAXValueCGRectType, &r)) break;
      return format(beingVerbose ? "<AXRectValue  x=%g y=%g w=%g h=%g>" : "x=%g y=%g w=%g h=%g",
                    r.origin.x, r.origin.y, r.size.width, r.size.height);
    }
    case platform::kAXValueCFRangeType: {
      platform::Range r;
      if (!axValue->getValue(platform::kAXValueCFRangeType, &r)) break;
      return format(beingVerbose ? "<AXRangeValue pos=%ld len=%ld>" : "pos=%ld len=%ld",
                    static_cast<long>(r.location), static_cast<long>(r.length));
    }
    default: break;
  }
  return "AXValue???";
}

std::optional<std::string> UIElementUtilities::descriptionOfValue(const platform::Object* value,
                                                                  bool beingVerbose) {
  if (!value) return std::nullopt;
  if (platform::axValueType(value) != platform::kAXValueTypeIllegal)
    return stringDescriptionOfAXValue(value, beingVerbose);
  if (auto* array = platform::as<platform::Array>(value))
    return format("<array of size %lu>", static_cast<unsigned long>(array->count()));
  if (auto* element = platform::as<platform::UIElement>(value)) return describeElement(element);
  return value->description();
}

std::vector<std::string> UIElementUtilities::lineageOfUIElement(const Element* element) {
  // Walked upwards and reversed at the end. Another process's tree may loop
  // or never end: the walk stops at the first ancestor met before (the
  // platform's handle equality, since each read may hand out a new handle)
  // and after kMaxLineageAncestors ancestors. The handles met stay alive in
  // `ancestors`, so a freed handle's address cannot be reused to fool it.
  auto& ax = platform::current().accessibility();
  std::vector<std::string> lineage;
  std::vector<Ref<Element>> ancestors;
  const Element* current = element;
  while (current) {
    lineage.push_back(*descriptionOfValue(current, false));
    if (lineage.size() > kMaxLineageAncestors) break;
    auto parentValue = valueOfAttribute(platform::kAXParentAttribute, current);
    if (!parentValue) break;
    auto parent = Ref<Element>::retain(platform::as<Element>(parentValue.get()));
    if (!parent) {
      // A parent that is not an element has no parent of its own to ask for.
      lineage.push_back(*descriptionOfValue(parentValue.get(), false));
      break;
    }
    auto seen = [&](const Element* e) { return ax.isEqual(e, parent.get()); };
    if (seen(element) ||
        std::any_of(ancestors.begin(), ancestors.end(), [&](auto& a) { return seen(a.get()); }))
      break;
    current = parent.get();
    ancestors.push_back(std::move(parent));
  }
  std::reverse(lineage.begin(), lineage.end());
  return lineage;
}

std::string UIElementUtilities::lineageDescriptionOfUIElement(const Element* element) {
  std::string text;
  std::string indent;
  for (const auto& entry : lineageOfUIElement(element)) {
    text += indent + entry + "\n";
    indent += ' ';
  }
  return text;
}
