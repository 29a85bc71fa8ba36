#include "axutil/ui_element_utilities.h"
#include "platform/platform.h"

using platform::Point;
using platform::Rect;

namespace {
// Read afresh at every call (the screens may have changed), never copied:
// the pointer is converted on every tick.
const std::vector<Rect>& screenFrames() { return platform::current().screens().screenFrames(); }
}  // namespace

Point UIElementUtilities::carbonScreenPointFromCocoaScreenPoint(Point cocoaPoint) {
  // Accessibility coordinates are global: y grows down from the top edge of
  // the menu-bar screen (the first listed) on every screen. Measuring from
  // the top of the screen under the point instead would send a hit test on
  // a screen above or below the Dock's to a Dock icon that is not there.
  const auto& frames = screenFrames();
  for (const Rect& frame : frames) {
    if (platform::pointInRect(cocoaPoint, frame)) {
      const Rect& menuBarScreen = frames.front();
      return {cocoaPoint.x, (menuBarScreen.origin.y + menuBarScreen.size.height) - cocoaPoint.y};
    }
  }
  return {0, 0};
}

Point UIElementUtilities::carbonScreenPointFromCocoaScreenPoint1(Point cocoaPoint) {
  return carbonScreenPointFromCocoaScreenPoint(cocoaPoint);
}

Point UIElementUtilities::cocoaScreenPointFromCarbonScreenPoint(Point carbonPoint) {
  const auto& frames = screenFrames();
  double height = frames.empty() ? 0 : frames.front().size.height;
  return {carbonPoint.x, height - carbonPoint.y};
}

Rect UIElementUtilities::flippedScreenBounds(Rect bounds) {
  // With no screen at all there is no top edge; mirror against 0, as the
  // Carbon-to-Cocoa conversion does.
  const auto& frames = screenFrames();
  float top = frames.empty()
                  ? 0.0f
                  : static_cast<float>(frames.front().origin.y + frames.front().size.height);
  bounds.origin.y = top - (bounds.origin.y + bounds.size.height);
  return bounds;
}

Rect UIElementUtilities::frameOfUIElement(const Element* element) {
  auto position = valueOfAttribute(platform::kAXPositionAttribute, element);
  auto size = valueOfAttribute(platform::kAXSizeAttribute, element);
  if (!position || !size) return {};
  auto* positionValue = platform::as<platform::AXValue>(position.get());
  auto* sizeValue = platform::as<platform::AXValue>(size.get());
  Rect frame;
  // Values that are not a point and a size give no frame at all.
  if (!positionValue || !sizeValue ||
      !positionValue->getValue(platform::kAXValueCGPointType, &frame.origin) ||
      !sizeValue->getValue(platform::kAXValueCGSizeType, &frame.size))
    return {};
  return flippedScreenBounds(frame);
}
