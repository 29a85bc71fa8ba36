// The text that UIElementUtilities makes of values, lineages and elements,
// over a small element tree of the test's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "axutil/ui_element_utilities.h"
#include "platform/platform.h"

namespace {

using platform::Ref;
using U = UIElementUtilities;

// An element with ordered, listed attributes, attributes that answer without
// being listed, values that cannot be fetched, settable attributes, actions
// and a parent.
class TreeElement final : public platform::UIElement {
 public:
  explicit TreeElement(std::string name) : name(std::move(name)) {}
  std::string description() const override { return "<TreeElement " + name + ">"; }

  // Lists an attribute with its value (null: read as success with no value).
  TreeElement& with(const std::string& attribute, Ref<platform::Object> value) {
    listed.emplace_back(attribute, std::move(value));
    return *this;
  }

  std::string name;
  std::vector<std::pair<std::string, Ref<platform::Object>>> listed;
  std::map<std::string, Ref<platform::Object>> unlisted;  // answer without being listed
  std::set<std::string> unfetchable;                      // listed; every read fails
  std::set<std::string> uncountable;                      // counting fails; reading works
  std::set<std::string> settable;
  std::vector<std::pair<std::string, std::string>> actions;  // name, description ("": none)
  bool namesFail = false;  // neither attribute nor action names can be had
  // Listed as "AXParent" when set. Not owned, so that a loop does not keep
  // itself alive.
  TreeElement* parent = nullptr;
  // Every read of "AXParent" makes a new ancestor, without end.
  bool endlessAncestors = false;
  // Every read of "AXParent" hands out a new handle to `parent`, as a real
  // platform may: only handle equality can tell that it was met before.
  bool freshParentHandles = false;
};

const TreeElement& tree(const platform::UIElement* e) {
  return dynamic_cast<const TreeElement&>(*e);
}

class TreeAccessibility final : public platform::Accessibility {
 public:
  std::vector<std::string> valueCopies;  // attributes whose values were copied, in order

  Ref<platform::UIElement> createSystemWide() override { return nullptr; }
  Ref<platform::UIElement> createApplication(pid_t) override { return nullptr; }
  platform::AXError copyElementAtPosition(const platform::UIElement*, float, float,
                                          Ref<platform::UIElement>*) override {
    return platform::kAXErrorNoValue;
  }

  platform::AXError copyAttributeNames(const platform::UIElement* e,
                                       Ref<platform::Array>* names) override {
    const auto& el = tree(e);
    if (el.namesFail) return platform::kAXErrorFailure;
    std::vector<std::string> list;
    for (const auto& [name, value] : el.listed) list.push_back(name);
    if (el.parent || el.endlessAncestors) list.push_back(platform::kAXParentAttribute);
    *names = platform::stringArray(list);
    return platform::kAXErrorSuccess;
  }

  platform::AXError copyAttributeValue(const platform::UIElement* e, const std::string& attribute,
                                       Ref<platform::Object>* value) override {
    valueCopies.push_back(attribute);
    const auto& el = tree(e);
    if (el.unfetchable.count(attribute)) return platform::kAXErrorCannotComplete;
    if (attribute == platform::kAXParentAttribute && el.endlessAncestors) {
      static int made = 0;  // each a different element
      auto ancestor = platform::make<TreeElement>("ancestor " + std::to_string(++made));
      ancestor->with(platform::kAXRoleAttribute, platform::make<platform::String>("AXGroup"));
      ancestor->endlessAncestors = true;
      *value = std::move(ancestor);
      return platform::kAXErrorSuccess;
    }
    if (attribute == platform::kAXParentAttribute && el.parent && el.freshParentHandles) {
      auto copy = platform::make<TreeElement>(el.parent->name);
      for (const auto& [name, v] : el.parent->listed) copy->with(name, v);
      copy->parent = el.parent->parent;
      copy->freshParentHandles = true;
      *value = std::move(copy);
      return platform::kAXErrorSuccess;
    }
    if (attribute == platform::kAXParentAttribute && el.parent) {
      *value = Ref<TreeElement>::retain(el.parent);
      return platform::kAXErrorSuccess;
    }
    for (const auto& [name, v] : el.listed) {
      if (name != attribute) continue;
      *value = v;
      return platform::kAXErrorSuccess;
    }
    auto hidden = el.unlisted.find(attribute);
    if (hidden == el.unlisted.end()) return platform::kAXErrorAttributeUnsupported;
    *value = hidden->second;
    return platform::kAXErrorSuccess;
  }

  platform::AXError getAttributeValueCount(const platform::UIElement* e,
                                           const std::string& attribute, long* count) override {
    const auto& el = tree(e);
    if (el.uncountable.count(attribute) || el.unfetchable.count(attribute))
      return platform::kAXErrorCannotComplete;
    for (const auto& [name, v] : el.listed) {
      auto* array = platform::as<platform::Array>(v.get());
      if (name != attribute || !array) continue;
      *count = static_cast<long>(array->count());
      return platform::kAXErrorSuccess;
    }
    return platform::kAXErrorIllegalArgument;
  }

  platform::AXError isAttributeSettable(const platform::UIElement* e, const std::string& attribute,
                                        bool* settable) override {
    *settable = tree(e).settable.count(attribute) > 0;
    return platform::kAXErrorSuccess;
  }
  platform::AXError setAttributeValue(const platform::UIElement*, const std::string&,
                                      const platform::Object&) override {
    return platform::kAXErrorAttributeUnsupported;
  }

  platform::AXError copyActionNames(const platform::UIElement* e,
                                    Ref<platform::Array>* names) override {
    const auto& el = tree(e);
    if (el.namesFail) return platform::kAXErrorFailure;
    std::vector<std::string> list;
    for (const auto& [name, description] : el.actions) list.push_back(name);
    *names = platform::stringArray(list);
    return platform::kAXErrorSuccess;
  }

  platform::AXError copyActionDescription(const platform::UIElement* e, const std::string& action,
                                          Ref<platform::String>* description) override {
    for (const auto& [name, text] : tree(e).actions) {
      if (name != action || text.empty()) continue;
      *description = platform::make<platform::String>(text);
      return platform::kAXErrorSuccess;
    }
    return platform::kAXErrorActionUnsupported;
  }

  platform::AXError performAction(const platform::UIElement*, const std::string&) override {
    return platform::kAXErrorActionUnsupported;
  }
  platform::AXError getPid(const platform::UIElement*, pid_t*) override {
    return platform::kAXErrorFailure;
  }
  bool isProcessTrusted() override { return true; }
  // Handles name their element: two handles of one name are one element.
  bool isEqual(const platform::UIElement* a, const platform::UIElement* b) override {
    return tree(a).name == tree(b).name;
  }
  bool isProcessTrustedWithOptions(bool) override { return true; }
};

// Only Accessibility can be reached: descriptions need nothing else.
class TreePlatform final : public platform::Platform {
 public:
  TreeAccessibility ax;

  platform::Accessibility& accessibility() override { return ax; }
  platform::Application& application() override { std::abort(); }
  platform::RunLoop& runLoop() override { std::abort(); }
  platform::UserDefaults& userDefaults() override { std::abort(); }
  platform::UserDefaultsController& userDefaultsController() override { std::abort(); }
  platform::NotificationCenter& notificationCenter() override { std::abort(); }
  platform::Events& events() override { std::abort(); }
  platform::Workspace& workspace() override { std::abort(); }
  platform::Screens& screens() override { std::abort(); }
  platform::Log& log() override { std::abort(); }
  platform::KeyValueObserving& keyValueObserving() override { std::abort(); }
  platform::AppKit& appKit() override { std::abort(); }
  platform::Bundle& bundle() override { std::abort(); }
  platform::Updater& updater() override { std::abort(); }
  platform::LoginItems& loginItems() override { std::abort(); }
};

Ref<platform::Object> text(const std::string& s) { return platform::make<platform::String>(s); }

Ref<platform::Object> point(double x, double y) {
  platform::Point p{x, y};
  return platform::AXValue::create(platform::kAXValueCGPointType, &p);
}
Ref<platform::Object> size(double w, double h) {
  platform::Size s{w, h};
  return platform::AXValue::create(platform::kAXValueCGSizeType, &s);
}
Ref<platform::Object> rect(double x, double y, double w, double h) {
  platform::Rect r{{x, y}, {w, h}};
  return platform::AXValue::create(platform::kAXValueCGRectType, &r);
}
Ref<platform::Object> range(std::int64_t location, std::int64_t length) {
  platform::Range r{location, length};
  return platform::AXValue::create(platform::kAXValueCFRangeType, &r);
}

Ref<platform::Object> arrayOf(std::size_t n) {
  auto a = platform::make<platform::Array>();
  for (std::size_t i = 0; i < n; ++i) a->append(text("item"));
  return a;
}

Ref<TreeElement> element(const std::string& role, const std::string& name = "") {
  auto e = platform::make<TreeElement>(name.empty() ? role : name);
  e->with(platform::kAXRoleAttribute, text(role));
  return e;
}

Ref<TreeElement> titled(const std::string& role, const std::string& title) {
  auto e = element(role, title);
  e->with(platform::kAXTitleAttribute, text(title));
  return e;
}

class ElementDescriptions : public testing::Test {
 protected:
  void SetUp() override {
    liveAtStart_ = platform::Object::liveCount();
    platform::bind(&platform_);
  }
  void TearDown() override { platform::bind(nullptr); }
  // Objects made during the test and still alive (held by the test itself
  // or leaked).
  std::size_t liveSinceStart() const { return platform::Object::liveCount() - liveAtStart_; }

  TreePlatform platform_;
  std::size_t liveAtStart_ = 0;
};

TEST_F(ElementDescriptions, AXValuesTerseAndVerbose) {
  struct Case {
    Ref<platform::Object> value;
    const char* terse;
    const char* verbose;
  };
  const Case cases[] = {
      {point(3, 4), "x=3 y=4", "<AXPointValue x=3 y=4>"},
      {size(3.5, 2), "w=3.5 h=2", "<AXSizeValue w=3.5 h=2>"},
      {rect(1, -2, 0.25, 1234567), "x=1 y=-2 w=0.25 h=1.23457e+06",
       "<AXRectValue  x=1 y=-2 w=0.25 h=1.23457e+06>"},
      {range(5, 10), "pos=5 len=10", "<AXRangeValue pos=5 len=10>"},
      {range(-1, 9000000000), "pos=-1 len=9000000000", "<AXRangeValue pos=-1 len=9000000000>"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(U::stringDescriptionOfAXValue(c.value.get(), false), c.terse);
    EXPECT_EQ(U::stringDescriptionOfAXValue(c.value.get(), true), c.verbose);
    // Any value that is an AXValue is written the same way, flag included.
    EXPECT_EQ(U::descriptionOfValue(c.value.get(), false), c.terse);
    EXPECT_EQ(U::descriptionOfValue(c.value.get(), true), c.verbose);
  }
}

TEST_F(ElementDescriptions, WhatIsNoReadableAXValueIsWrittenWithQuestionMarks) {
  // The platform makes no AXValue of another type; what is not an AXValue
  // at all stands for one whose record cannot be read.
  EXPECT_EQ(U::stringDescriptionOfAXValue(text("x=3 y=4").get(), false), "AXValue???");
  EXPECT_EQ(U::stringDescriptionOfAXValue(arrayOf(2).get(), true), "AXValue???");
  EXPECT_EQ(U::stringDescriptionOfAXValue(nullptr, false), "AXValue???");
}

TEST_F(ElementDescriptions, OtherValues) {
  EXPECT_EQ(U::descriptionOfValue(nullptr, false), std::nullopt);
  EXPECT_EQ(U::descriptionOfValue(arrayOf(3).get(), true), "<array of size 3>");
  EXPECT_EQ(U::descriptionOfValue(arrayOf(0).get(), false), "<array of size 0>");
  EXPECT_EQ(U::descriptionOfValue(text("Safari").get(), false), "Safari");
  EXPECT_EQ(U::descriptionOfValue(text("").get(), false), "");
  EXPECT_EQ(U::descriptionOfValue(platform::make<platform::Number>(std::int64_t{42}).get(), false),
            "42");
  EXPECT_EQ(U::descriptionOfValue(platform::make<platform::Boolean>(true).get(), false), "1");
}

TEST_F(ElementDescriptions, ElementsAsValues) {
  auto withTitle = titled("AXButton", "OK");
  EXPECT_EQ(U::descriptionOfValue(withTitle.get(), false), "<AXButton: \u201COK\u201D>");

  auto emptyTitle = titled("AXButton", "");
  EXPECT_EQ(U::descriptionOfValue(emptyTitle.get(), false), "<AXButton: \u201C\u201D>");

  // The role is read even when not listed; the title only when listed.
  auto unlisted = platform::make<TreeElement>("quiet");
  unlisted->unlisted[platform::kAXRoleAttribute] = text("AXImage");
  unlisted->unlisted[platform::kAXTitleAttribute] = text("hidden");
  EXPECT_EQ(U::descriptionOfValue(unlisted.get(), false), "<AXImage>");

  auto noRole = platform::make<TreeElement>("mute");
  noRole->with(platform::kAXTitleAttribute, text("Mute"));
  EXPECT_EQ(U::descriptionOfValue(noRole.get(), false), "<TreeElement mute>");

  // A role read as success but without a value prints as the formatter's nil.
  auto nullRole = platform::make<TreeElement>("blank");
  nullRole->with(platform::kAXRoleAttribute, nullptr);
  EXPECT_EQ(U::descriptionOfValue(nullRole.get(), false), "<(null)>");
}

TEST_F(ElementDescriptions, OneAttribute) {
  auto list = element("AXList");
  list->with(platform::kAXChildrenAttribute, arrayOf(12))
      .with(platform::kAXRowsAttribute, arrayOf(4))
      .with(platform::kAXPositionAttribute, point(10, 20))
      .with(platform::kAXTitleAttribute, text("Items"))
      .with("AXVisibleChildren", arrayOf(2))
      .with(platform::kAXDescriptionAttribute, nullptr);
  auto& ax = platform_.ax;

  EXPECT_EQ(U::descriptionForUIElement(list.get(), platform::kAXChildrenAttribute, false),
            "<array of size 12>");
  EXPECT_EQ(U::descriptionForUIElement(list.get(), platform::kAXRowsAttribute, true),
            "<array of size 4>");
  EXPECT_TRUE(ax.valueCopies.empty()) << "children and rows are counted, not fetched";

  EXPECT_EQ(U::descriptionForUIElement(list.get(), platform::kAXPositionAttribute, false),
            "x=10 y=20");
  EXPECT_EQ(U::descriptionForUIElement(list.get(), platform::kAXPositionAttribute, true),
            "<AXPointValue x=10 y=20>");
  EXPECT_EQ(U::descriptionForUIElement(list.get(), platform::kAXTitleAttribute, false), "Items");
  // Other arrays are fetched and then described by their size.
  EXPECT_EQ(U::descriptionForUIElement(list.get(), "AXVisibleChildren", false),
            "<array of size 2>");

  // Values that cannot be fetched, or fetch as nothing, describe as nil.
  list->unfetchable.insert(platform::kAXTitleAttribute);
  EXPECT_EQ(U::descriptionForUIElement(list.get(), platform::kAXTitleAttribute, false),
            std::nullopt);
  EXPECT_EQ(U::descriptionForUIElement(list.get(), platform::kAXDescriptionAttribute, false),
            std::nullopt);
  EXPECT_EQ(U::descriptionForUIElement(list.get(), "AXMissing", false), std::nullopt);

  // When the children cannot be counted they are fetched after all.
  list->uncountable.insert(platform::kAXChildrenAttribute);
  ax.valueCopies.clear();
  EXPECT_EQ(U::descriptionForUIElement(list.get(), platform::kAXChildrenAttribute, false),
            "<array of size 12>");
  EXPECT_EQ(ax.valueCopies, std::vector<std::string>{platform::kAXChildrenAttribute});
  list->unfetchable.insert(platform::kAXChildrenAttribute);
  EXPECT_EQ(U::descriptionForUIElement(list.get(), platform::kAXChildrenAttribute, false),
            std::nullopt);
}

TEST_F(ElementDescriptions, Lineage) {
  auto app = titled("AXApplication", "Mail");
  auto window = titled("AXWindow", "Inbox");
  auto button = titled("AXButton", "Send");
  window->parent = app.get();
  button->parent = window.get();

  EXPECT_EQ(U::lineageOfUIElement(app.get()),
            std::vector<std::string>{"<AXApplication: \u201CMail\u201D>"});
  EXPECT_EQ(U::lineageDescriptionOfUIElement(app.get()), "<AXApplication: \u201CMail\u201D>\n");

  EXPECT_EQ(
      U::lineageOfUIElement(button.get()),
      (std::vector<std::string>{"<AXApplication: \u201CMail\u201D>",
                                "<AXWindow: \u201CInbox\u201D>", "<AXButton: \u201CSend\u201D>"}));
  EXPECT_EQ(U::lineageDescriptionOfUIElement(button.get()),
            "<AXApplication: \u201CMail\u201D>\n"
            " <AXWindow: \u201CInbox\u201D>\n"
            "  <AXButton: \u201CSend\u201D>\n");

  // A parent that is not an element ends the lineage as its own text.
  auto stray = element("AXGroup");
  stray->with(platform::kAXParentAttribute, text("not an element"));
  EXPECT_EQ(U::lineageDescriptionOfUIElement(stray.get()), "not an element\n <AXGroup>\n");
}

TEST_F(ElementDescriptions, ParentChainsThatLoopEndAtTheFirstRepeat) {
  auto a = element("AXGroup", "a");
  auto b = titled("AXGroup", "b");
  auto c = titled("AXGroup", "c");

  a->parent = a.get();  // its own parent
  EXPECT_EQ(U::lineageOfUIElement(a.get()), std::vector<std::string>{"<AXGroup>"});

  a->parent = b.get();  // a -> b -> a
  b->parent = a.get();
  EXPECT_EQ(U::lineageDescriptionOfUIElement(a.get()), "<AXGroup: \u201Cb\u201D>\n <AXGroup>\n");

  b->parent = c.get();  // a -> b -> c -> b: the loop does not pass through a
  c->parent = b.get();
  EXPECT_EQ(U::lineageOfUIElement(a.get()),
            (std::vector<std::string>{"<AXGroup: \u201Cc\u201D>", "<AXGroup: \u201Cb\u201D>",
                                      "<AXGroup>"}));
}

TEST_F(ElementDescriptions, LoopsThroughFreshHandlesEndAtTheFirstRepeat) {
  auto a = titled("AXGroup", "a");
  auto b = titled("AXGroup", "b");
  a->parent = b.get();  // a -> b -> a, each parent read a new handle
  b->parent = a.get();
  a->freshParentHandles = true;
  b->freshParentHandles = true;
  EXPECT_EQ(U::lineageOfUIElement(a.get()),
            (std::vector<std::string>{"<AXGroup: \u201Cb\u201D>", "<AXGroup: \u201Ca\u201D>"}));
}

TEST_F(ElementDescriptions, EndlessAncestryIsCut) {
  // Every parent read hands out a new handle, so no repeat can be seen:
  // only the bound ends the walk.
  {
    auto leaf = titled("AXCell", "leaf");
    leaf->endlessAncestors = true;
    auto lineage = U::lineageOfUIElement(leaf.get());
    ASSERT_EQ(lineage.size(), U::kMaxLineageAncestors + 1);
    EXPECT_EQ(lineage.back(), "<AXCell: \u201Cleaf\u201D>");
    EXPECT_EQ(lineage.front(), "<AXGroup>");

    auto report = U::stringDescriptionOfUIElement(leaf.get());
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'),
              static_cast<long>(U::kMaxLineageAncestors + 1) + 5);
  }
  EXPECT_EQ(liveSinceStart(), 0u) << "the ancestors met on the way are all released";
}

TEST_F(ElementDescriptions, FullReport) {
  auto dock = titled("AXApplication", "Dock");
  auto list = element("AXList");
  list->parent = dock.get();
  auto item = element("AXDockItem", "Safari");
  item->with(platform::kAXTitleAttribute, text("Safari"))
      .with(platform::kAXChildrenAttribute, arrayOf(0))
      .with(platform::kAXPositionAttribute, point(688, 832))
      .with(platform::kAXSizeAttribute, size(64, 64))
      .with("AXIsApplicationRunning", platform::make<platform::Boolean>(true))
      .with(platform::kAXDescriptionAttribute, text("web browser"));
  item->parent = list.get();
  item->settable = {platform::kAXPositionAttribute};
  item->unfetchable = {platform::kAXDescriptionAttribute};
  item->actions = {{"AXPress", "press"}, {"AXShowExpose", ""}};

  EXPECT_EQ(U::stringDescriptionOfUIElement(item.get()),
            "<AXApplication: \u201CDock\u201D>\n"
            " <AXList>\n"
            "  <AXDockItem: \u201CSafari\u201D>\n"
            "\n"
            "Attributes:\n"
            "   AXRole:  \u201CAXDockItem\u201D\n"
            "   AXTitle:  \u201CSafari\u201D\n"
            "   AXChildren:  \u201C<array of size 0>\u201D\n"
            "   AXPosition (W):  \u201Cx=688 y=832\u201D\n"
            "   AXSize:  \u201Cw=64 h=64\u201D\n"
            "   AXIsApplicationRunning:  \u201C1\u201D\n"
            "   AXDescription:  \u201C(null)\u201D\n"
            "   AXParent:  \u201C<AXList>\u201D\n"
            "\n"
            "Actions:\n"
            "   AXPress - press\n"
            "   AXShowExpose - (null)\n");
}

TEST_F(ElementDescriptions, ReportSectionsWithoutEntriesAreLeftOut) {
  auto bare = platform::make<TreeElement>("bare");  // neither attributes nor actions
  EXPECT_EQ(U::stringDescriptionOfUIElement(bare.get()), "<TreeElement bare>\n");

  auto untrusted = titled("AXButton", "OK");  // names cannot be had at all
  untrusted->namesFail = true;
  untrusted->actions = {{"AXPress", "press"}};
  EXPECT_EQ(U::stringDescriptionOfUIElement(untrusted.get()), "<AXButton>\n");

  auto actionsOnly = platform::make<TreeElement>("knob");
  actionsOnly->actions = {{"AXIncrement", "increment"}};
  EXPECT_EQ(U::stringDescriptionOfUIElement(actionsOnly.get()),
            "<TreeElement knob>\n\nActions:\n   AXIncrement - increment\n");
}

TEST_F(ElementDescriptions, DescriptionAttribute) {
  auto described = element("AXButton");
  described->with(platform::kAXDescriptionAttribute, text("close button"));
  EXPECT_EQ(U::descriptionOfAXDescriptionOfUIElement(described.get()), "close button");

  auto empty = element("AXButton");
  empty->with(platform::kAXDescriptionAttribute, text(""));
  EXPECT_EQ(U::descriptionOfAXDescriptionOfUIElement(empty.get()), "No Description");

  auto none = element("AXButton");
  EXPECT_EQ(U::descriptionOfAXDescriptionOfUIElement(none.get()), "No Description");

  auto unlisted = element("AXButton");  // answers, but is never asked
  unlisted->unlisted[platform::kAXDescriptionAttribute] = text("secret");
  EXPECT_EQ(U::descriptionOfAXDescriptionOfUIElement(unlisted.get()), "No Description");

  auto number = element("AXSlider");
  number->with(platform::kAXDescriptionAttribute,
               platform::make<platform::Number>(std::int64_t{7}));
  EXPECT_EQ(U::descriptionOfAXDescriptionOfUIElement(number.get()), "7");
}

}  // namespace
