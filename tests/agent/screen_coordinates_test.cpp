// Cocoa <-> Carbon conversions and element frames, against a fake screen
// list.
#include <gtest/gtest.h>

#include "axutil/ui_element_utilities.h"
#include "tests/fake_platform.h"

namespace {

using platform::Point;
using platform::Rect;
using UI = UIElementUtilities;

class ScreenCoordinates : public testing::Test {
 protected:
  void screens(std::vector<Rect> frames) { platform->screenList.frames = std::move(frames); }
  // Both Cocoa -> Carbon operations, which must agree in every case.
  Point toCarbon(Point p) {
    Point a = UI::carbonScreenPointFromCocoaScreenPoint(p);
    EXPECT_EQ(a, UI::carbonScreenPointFromCocoaScreenPoint1(p));
    return a;
  }

  fake::ScopedPlatform platform;
  const Rect first{{0, 0}, {800, 600}};
  const Rect second{{800, -100}, {640, 480}};  // top edge at 380
};

TEST_F(ScreenCoordinates, OneScreenMeasuresFromItsTopAndExcludesFarEdges) {
  screens({first});
  EXPECT_EQ(toCarbon({100, 0}), (Point{100, 600}));
  EXPECT_EQ(toCarbon({100, 599.5}), (Point{100, 0.5}));
  EXPECT_EQ(toCarbon({0, 0}), (Point{0, 600}));
  EXPECT_EQ(toCarbon({100, 600}), (Point{0, 0}));  // top edge
  EXPECT_EQ(toCarbon({800, 10}), (Point{0, 0}));   // right edge
  EXPECT_EQ(toCarbon({-1, 10}), (Point{0, 0}));
}

// Global coordinates: a point on the second screen is measured from the
// menu-bar screen's top, as the platform's hit test measures it.
TEST_F(ScreenCoordinates, SecondScreenMeasuresFromTheMenuBarScreensTop) {
  screens({first, second});
  EXPECT_EQ(toCarbon({900, 300}), (Point{900, 300}));
  EXPECT_EQ(toCarbon({900, -100}), (Point{900, 700}));
  EXPECT_EQ(toCarbon({100, 300}), (Point{100, 300}));
  EXPECT_EQ(toCarbon({900, 380}), (Point{0, 0}));
}

TEST_F(ScreenCoordinates, OverlapIsDecidedByTheFirstListed) {
  const Rect overlapping{{700, 0}, {400, 400}};
  screens({first, overlapping});
  EXPECT_EQ(toCarbon({750, 100}), (Point{750, 500}));
  screens({overlapping, first});
  EXPECT_EQ(toCarbon({750, 100}), (Point{750, 300}));
}

TEST_F(ScreenCoordinates, EmptyScreensContainNothing) {
  screens({{{0, 0}, {0, 600}}, {{0, 0}, {800, 0}}});
  EXPECT_EQ(toCarbon({0, 0}), (Point{0, 0}));
  screens({});
  EXPECT_EQ(toCarbon({10, 10}), (Point{0, 0}));
}

TEST_F(ScreenCoordinates, CarbonToCocoaUsesTheFirstScreensHeightOnly) {
  screens({first, second});
  EXPECT_EQ(UI::cocoaScreenPointFromCarbonScreenPoint({100, 600}), (Point{100, 0}));
  EXPECT_EQ(UI::cocoaScreenPointFromCarbonScreenPoint({100, 0}), (Point{100, 600}));
  screens({{{50, 70}, {800, 600}}});
  EXPECT_EQ(UI::cocoaScreenPointFromCarbonScreenPoint({100, 0}), (Point{100, 600}));
  screens({});
  EXPECT_EQ(UI::cocoaScreenPointFromCarbonScreenPoint({100, 5}), (Point{100, -5}));
}

TEST_F(ScreenCoordinates, FlippedScreenBoundsMirrorsAgainstTheFirstScreen) {
  screens({first, second});
  EXPECT_EQ(UI::flippedScreenBounds({{10, 20}, {100, 50}}), (Rect{{10, 530}, {100, 50}}));
  // The first screen's top is taken in single precision.
  screens({{{0, 0.1}, {800, 600}}});
  EXPECT_EQ(UI::flippedScreenBounds({{0, 0}, {0, 0}}).origin.y,
            static_cast<double>(static_cast<float>(600.1)));
}

TEST_F(ScreenCoordinates, FrameOfUIElementIsACocoaRect) {
  screens({first});
  auto element = fake::makeElement();
  Point position{10, 20};
  platform::Size size{100, 50};
  element->set("AXPosition", platform::AXValue::create(platform::kAXValueCGPointType, &position));
  EXPECT_EQ(UI::frameOfUIElement(element.get()), Rect{});  // no size
  element->set("AXSize", platform::AXValue::create(platform::kAXValueCGSizeType, &size));
  EXPECT_EQ(UI::frameOfUIElement(element.get()), (Rect{{10, 530}, {100, 50}}));
  // Listed no more: the zero rect.
  element->names = std::vector<std::string>{"AXPosition"};
  EXPECT_EQ(UI::frameOfUIElement(element.get()), Rect{});
  EXPECT_EQ(UI::frameOfUIElement(nullptr), Rect{});
}

}  // namespace
