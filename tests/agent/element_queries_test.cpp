// UIElementUtilities queries, actions and attribute writes, against a fake
// Accessibility API.
#include <gtest/gtest.h>

#include "axutil/ui_element_utilities.h"
#include "tests/fake_platform.h"

namespace {

using platform::make;
using platform::Ref;
using UI = UIElementUtilities;

Ref<platform::Object> str(const std::string& s) { return make<platform::String>(s); }

template <class Record>
Ref<platform::Object> axValue(platform::AXValueType type, Record record) {
  return platform::AXValue::create(type, &record);
}

template <class Record>
Record recordOf(const Ref<platform::Object>& value, platform::AXValueType type) {
  Record r{};
  auto* v = platform::as<platform::AXValue>(value.get());
  EXPECT_TRUE(v && v->getValue(type, &r)) << "not an AXValue of type " << type;
  return r;
}

class ElementQueries : public testing::Test {
 protected:
  fake::ScopedPlatform platform;
  Ref<fake::Element> element = fake::makeElement();
};

TEST_F(ElementQueries, ValueOfAttributeReadsOnlyListedAttributes) {
  element->set("AXRole", str("AXButton"));
  // The platform could deliver a title, but the element does not list it.
  element->values["AXTitle"] = str("hidden");

  auto role = platform::as<platform::String>(UI::valueOfAttribute("AXRole", element.get()).get());
  ASSERT_TRUE(role);
  EXPECT_EQ(role->str(), "AXButton");
  EXPECT_FALSE(UI::valueOfAttribute("AXTitle", element.get()));
  // The unlisted attribute's value was never asked for.
  EXPECT_EQ(platform->ax.valueCopies, std::vector<std::string>{"AXRole"});
}

TEST_F(ElementQueries, ValueOfAttributeIsNullWithoutNameListOrValue) {
  element->values["AXRole"] = str("AXButton");
  element->names.reset();
  EXPECT_FALSE(UI::valueOfAttribute("AXRole", element.get()));
  EXPECT_TRUE(platform->ax.valueCopies.empty());

  // Listed, but the platform has no value for it.
  element->names = std::vector<std::string>{"AXRole", "AXValue"};
  EXPECT_FALSE(UI::valueOfAttribute("AXValue", element.get()));
  EXPECT_FALSE(UI::valueOfAttribute("AXRole", nullptr));
}

TEST_F(ElementQueries, ProcessIdentifierFailsAsMinusOneButOldAsZero) {
  EXPECT_EQ(UI::processIdentifierOfUIElement(element.get()), -1);
  EXPECT_EQ(UI::processIdentifierOfUIElement_old(element.get()), 0);
  element->pid = 4242;
  EXPECT_EQ(UI::processIdentifierOfUIElement(element.get()), 4242);
  EXPECT_EQ(UI::processIdentifierOfUIElement_old(element.get()), 4242);
}

TEST_F(ElementQueries, CanSetAttributeIsFalseOnError) {
  element->settable["AXValue"] = true;
  element->settable["AXTitle"] = false;
  EXPECT_TRUE(UI::canSetAttribute("AXValue", element.get()));
  EXPECT_FALSE(UI::canSetAttribute("AXTitle", element.get()));
  EXPECT_FALSE(UI::canSetAttribute("AXSize", element.get()));
}

TEST_F(ElementQueries, RoleTitleParentAndApplicationTest) {
  EXPECT_FALSE(UI::isApplicationUIElement(element.get()));  // no role at all
  auto parent = fake::makeElement();
  element->set("AXRole", str("AXWindow"));
  element->set("AXTitle", str("Inbox"));
  element->set("AXParent", parent);
  EXPECT_FALSE(UI::isApplicationUIElement(element.get()));
  EXPECT_EQ(UI::titleOfUIElement(element.get())->str(), "Inbox");
  EXPECT_EQ(UI::parentOfUIElement(element.get()).get(), parent.get());

  element->set("AXRole", str("AXApplication"));
  EXPECT_TRUE(UI::isApplicationUIElement(element.get()));
  EXPECT_EQ(UI::roleOfUIElement(element.get())->str(), "AXApplication");
  // A role that is no string is no role.
  element->set("AXRole", make<platform::Number>(std::int64_t{1}));
  EXPECT_FALSE(UI::isApplicationUIElement(element.get()));
}

TEST_F(ElementQueries, PerformActionReachesThePlatform) {
  UI::performAction("AXPress", element.get());
  UI::performAction("AXShowExpose", nullptr);  // no element: no effect, no crash
  EXPECT_EQ(element->performed, std::vector<std::string>{"AXPress"});
}

TEST_F(ElementQueries, SetStringValueParsesAXValueTexts) {
  element->set("AXPosition", axValue(platform::kAXValueCGPointType, platform::Point{1, 1}));
  element->set("AXSize", axValue(platform::kAXValueCGSizeType, platform::Size{1, 1}));
  element->set("AXFrame", axValue(platform::kAXValueCGRectType, platform::Rect{}));
  element->set("AXRange", axValue(platform::kAXValueCFRangeType, platform::Range{}));

  UI::setStringValue("x=10 y=20", "AXPosition", element.get());
  UI::setStringValue("w=3.5   h=2", "AXSize", element.get());
  UI::setStringValue("x=1y=2 w=3 h=4", "AXFrame", element.get());  // a blank matches none
  UI::setStringValue("pos=-5 len=9000000000", "AXRange", element.get());

  using platform::Point, platform::Size, platform::Rect, platform::Range;
  EXPECT_EQ((recordOf<Point>(element->values["AXPosition"], platform::kAXValueCGPointType)),
            (Point{10, 20}));
  EXPECT_EQ((recordOf<Size>(element->values["AXSize"], platform::kAXValueCGSizeType)),
            (Size{3.5, 2}));
  EXPECT_EQ((recordOf<Rect>(element->values["AXFrame"], platform::kAXValueCGRectType)),
            (Rect{{1, 2}, {3, 4}}));
  EXPECT_EQ((recordOf<Range>(element->values["AXRange"], platform::kAXValueCFRangeType)),
            (Range{-5, 9000000000}));
}

TEST_F(ElementQueries, SetStringValuePassesNumbersThroughSinglePrecision) {
  element->set("AXPosition", axValue(platform::kAXValueCGPointType, platform::Point{}));
  UI::setStringValue("x=0.1 y=0.2", "AXPosition", element.get());
  auto p = recordOf<platform::Point>(element->values["AXPosition"], platform::kAXValueCGPointType);
  EXPECT_EQ(p.x, static_cast<double>(0.1f));
  EXPECT_NE(p.x, 0.1);
  EXPECT_EQ(p.y, static_cast<double>(0.2f));
}

TEST_F(ElementQueries, SetStringValueLeavesAttributeOnPartialText) {
  element->set("AXPosition", axValue(platform::kAXValueCGPointType, platform::Point{7, 8}));
  element->set("AXRange", axValue(platform::kAXValueCFRangeType, platform::Range{1, 2}));
  UI::setStringValue("x=10", "AXPosition", element.get());
  UI::setStringValue("y=10 x=3", "AXPosition", element.get());
  UI::setStringValue("pos=4", "AXRange", element.get());
  EXPECT_TRUE(element->written.empty());
}

TEST_F(ElementQueries, SetStringValueForStringsNumbersAndOtherValues) {
  element->set("AXValue", str("old"));
  element->set("AXNumber", make<platform::Number>(std::int64_t{3}));
  element->set("AXChildren", make<platform::Array>());
  element->set("AXParent", fake::makeElement());

  UI::setStringValue("  x=1 y=2 ", "AXValue", element.get());
  UI::setStringValue("42.5", "AXNumber", element.get());
  UI::setStringValue("anything", "AXChildren", element.get());
  UI::setStringValue("anything", "AXParent", element.get());

  EXPECT_EQ(platform::as<platform::String>(element->values["AXValue"].get())->str(), "  x=1 y=2 ");
  auto* n = platform::as<platform::Number>(element->values["AXNumber"].get());
  ASSERT_TRUE(n);
  EXPECT_EQ(n->doubleValue(), 42.5);
  EXPECT_EQ(element->written, (std::vector<std::string>{"AXValue", "AXNumber"}));

  // floatValue: the leading number in single precision, 0 when there is none.
  UI::setStringValue("0.1 apples", "AXNumber", element.get());
  EXPECT_EQ(platform::as<platform::Number>(element->values["AXNumber"].get())->doubleValue(),
            static_cast<double>(0.1f));
  UI::setStringValue("apples", "AXNumber", element.get());
  EXPECT_EQ(platform::as<platform::Number>(element->values["AXNumber"].get())->doubleValue(), 0);
}

TEST_F(ElementQueries, SetStringValueNeedsAnAttributeWithAValue) {
  element->set("AXValue", str("old"));
  element->names->push_back("AXEmpty");
  element->values["AXEmpty"] = nullptr;  // listed, no value
  UI::setStringValue("new", nullptr, element.get());
  UI::setStringValue("new", "AXEmpty", element.get());
  UI::setStringValue("new", "AXMissing", element.get());
  EXPECT_TRUE(element->written.empty());
  EXPECT_EQ(platform->ax.valueCopies, (std::vector<std::string>{"AXEmpty", "AXMissing"}));
}

}  // namespace
