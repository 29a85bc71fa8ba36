// UIElementUtilities: stateless class operations over the Accessibility API.
//
// Results are handed back as Ref<> values: the caller shares them for as
// long as it keeps the Ref, the way an autoreleased object lives to the end
// of the current run-loop pass. Nothing here caches, raises or logs: a
// failure reads as null, 0, -1, false or the zero rect.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/accessibility.h"
#include "platform/geometry.h"

class UIElementUtilities {
 public:
  UIElementUtilities() = delete;

  using Element = platform::UIElement;
  template <class T>
  using Ref = platform::Ref<T>;

  // Queries and actions.
  static pid_t processIdentifierOfUIElement(const Element* element);
  static pid_t processIdentifierOfUIElement_old(const Element* element);
  static Ref<platform::Array> attributeNamesOfUIElement(const Element* element);
  static Ref<platform::Array> actionNamesOfUIElement(const Element* element);
  static Ref<platform::String> descriptionOfAction(const std::string& action,
                                                   const Element* element);
  static void performAction(const std::string& action, const Element* element);
  // Null when the element does not list the attribute or has no value for it.
  static Ref<platform::Object> valueOfAttribute(const std::string& attribute,
                                                const Element* element);
  static bool canSetAttribute(const std::string& attribute, const Element* element);
  // A null attribute name does nothing.
  static void setStringValue(const std::string& text, const char* attribute,
                             const Element* element);
  static Ref<Element> parentOfUIElement(const Element* element);
  static Ref<platform::String> roleOfUIElement(const Element* element);
  static Ref<platform::String> titleOfUIElement(const Element* element);
  static bool isApplicationUIElement(const Element* element);

  // Screen coordinates and element frames.
  static platform::Point carbonScreenPointFromCocoaScreenPoint(platform::Point cocoaPoint);
  static platform::Point carbonScreenPointFromCocoaScreenPoint1(platform::Point cocoaPoint);
  static platform::Point cocoaScreenPointFromCarbonScreenPoint(platform::Point carbonPoint);
  static platform::Rect flippedScreenBounds(platform::Rect bounds);
  static platform::Rect frameOfUIElement(const Element* element);

  // Element and value descriptions: text for people reading a trace or a log.
  // An AXValue as "x=3 y=4" (terse) or "<AXPointValue x=3 y=4>" (verbose);
  // anything that is not a readable point, size, rect or range gives "AXValue???".
  static std::string stringDescriptionOfAXValue(const platform::Object* value, bool beingVerbose);
  // Any attribute value; nullopt for null.
  static std::optional<std::string> descriptionOfValue(const platform::Object* value,
                                                       bool beingVerbose);
  // The element's description preceded by its ancestors', outermost first.
  // Element trees come from other processes: the walk up stops at an
  // ancestor already met (a parent chain that loops) and after
  // kMaxLineageAncestors ancestors, so a hostile tree cannot hang it.
  static constexpr std::size_t kMaxLineageAncestors = 256;
  static std::vector<std::string> lineageOfUIElement(const Element* element);
  // One line per lineage entry, each indented one blank more than the last.
  static std::string lineageDescriptionOfUIElement(const Element* element);
  // Nullopt when the value cannot be fetched. Children and rows are counted,
  // not fetched.
  static std::optional<std::string> descriptionForUIElement(const Element* element,
                                                            const std::string& attribute,
                                                            bool beingVerbose);
  // The full report: lineage, then every attribute and every action.
  static std::string stringDescriptionOfUIElement(const Element* element);
  // The element's "AXDescription", or "No Description" when it has none.
  static std::string descriptionOfAXDescriptionOfUIElement(const Element* element);
};
