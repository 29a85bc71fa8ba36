// The controls' rules both desktops share: a press, a bound checkbox's
// state, and the objects a window lets go of.
#include "backend/bound_controls.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

struct KeyedObject final : platform::NibObject {
  std::map<std::string, platform::PrefValue> keys;
  std::vector<std::string> actions;
  bool valueForKey(const std::string& key, platform::PrefValue* value) override {
    auto it = keys.find(key);
    if (it == keys.end()) return false;
    *value = it->second;
    return true;
  }
  bool performAction(const std::string& selector, platform::NibObject*) override {
    actions.push_back(selector);
    return true;
  }
};

TEST(BoundControlsTest, ACheckboxShowsTrueOnlyAndKeepsItsStateForAKeyNotThere) {
  KeyedObject object;
  object.keys["on"] = true;
  object.keys["off"] = false;
  object.keys["number"] = std::int64_t{1};
  object.keys["text"] = std::string("true");
  EXPECT_TRUE(backend::boundCheckboxState(object, "on", false));
  EXPECT_FALSE(backend::boundCheckboxState(object, "off", true));
  EXPECT_FALSE(backend::boundCheckboxState(object, "number", true));
  EXPECT_FALSE(backend::boundCheckboxState(object, "text", true));
  EXPECT_TRUE(backend::boundCheckboxState(object, "missing", true));
  EXPECT_FALSE(backend::boundCheckboxState(object, "missing", false));
}

TEST(BoundControlsTest, APressNeedsATargetAndAnAction) {
  KeyedObject target;
  backend::pressButton(&target, "", nullptr);
  backend::pressButton(nullptr, "requestAccess:", nullptr);
  backend::pressButton(&target, "requestAccess:", nullptr);
  EXPECT_EQ(target.actions, std::vector<std::string>{"requestAccess:"});
}

struct RecordingObserving final : platform::KeyValueObserving {
  std::vector<platform::NibObject*> removed;
  void addObserver(platform::NibObject*, const std::string&, std::function<void()>) override {}
  void removeObservers(platform::NibObject* object) override { removed.push_back(object); }
  void willChangeValueForKey(platform::NibObject*, const std::string&) override {}
  void didChangeValueForKey(platform::NibObject*, const std::string&) override {}
};

TEST(BoundControlsTest, TheObjectsBoundGoUnobservedWithTheirWindow) {
  RecordingObserving kvo;
  KeyedObject a, b;
  {
    backend::BoundObjects bound;
    bound.set({&a, &b}, &kvo);
    EXPECT_TRUE(kvo.removed.empty());
  }
  EXPECT_EQ(kvo.removed, (std::vector<platform::NibObject*>{&a, &b}));
  { backend::BoundObjects neverSet; }  // a window that bound nothing
  EXPECT_EQ(kvo.removed.size(), 2u);
}

}  // namespace
