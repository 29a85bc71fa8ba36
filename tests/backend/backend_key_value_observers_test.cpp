// Key-value observing of interface objects: observers are told after the
// did-change announcement, only of their object's key, never once removed,
// and the trace shows each announcement.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "backend/key_value_observers.h"

namespace {

class FixedClock final : public backend::Clock {
 public:
  std::int64_t now() const override { return 0; }
};

class KeyValueObserversBook : public ::testing::Test {
 protected:
  // An observer of OBJECT's KEY that notes NAME in told_.
  void observe(platform::NibObject* object, const std::string& key, const std::string& name) {
    kvo_.addObserver(object, key, [this, name] { told_ += name + " "; });
  }

  backend::KeyValueObservers kvo_{nullptr};
  platform::NibObject controller_, other_;
  std::string told_;
};

TEST_F(KeyValueObserversBook, TellsObserversAfterTheDidChangeAnnouncementInOrder) {
  observe(&controller_, "launchAtLogin", "first");
  observe(&controller_, "launchAtLogin", "second");
  kvo_.willChangeValueForKey(&controller_, "launchAtLogin");
  EXPECT_EQ(told_, "") << "the value has not changed yet";
  kvo_.didChangeValueForKey(&controller_, "launchAtLogin");
  EXPECT_EQ(told_, "first second ");
  kvo_.didChangeValueForKey(&controller_, "launchAtLogin");
  EXPECT_EQ(told_, "first second first second ");
}

TEST_F(KeyValueObserversBook, TellsOnlyTheObserversOfThatObjectAndKey) {
  observe(&controller_, "launchAtLogin", "login");
  observe(&controller_, "enabled", "enabled");
  observe(&other_, "launchAtLogin", "other");
  kvo_.didChangeValueForKey(&controller_, "launchAtLogin");
  EXPECT_EQ(told_, "login ");
  told_.clear();
  kvo_.didChangeValueForKey(&other_, "launchAtLogin");
  EXPECT_EQ(told_, "other ");
  told_.clear();
  kvo_.didChangeValueForKey(&other_, "enabled");
  EXPECT_EQ(told_, "");
}

TEST_F(KeyValueObserversBook, RemovedObserversAreToldNoMore) {
  observe(&controller_, "launchAtLogin", "login");
  observe(&controller_, "enabled", "enabled");
  observe(&other_, "launchAtLogin", "other");
  kvo_.removeObservers(&controller_);
  kvo_.didChangeValueForKey(&controller_, "launchAtLogin");
  kvo_.didChangeValueForKey(&controller_, "enabled");
  EXPECT_EQ(told_, "");
  kvo_.didChangeValueForKey(&other_, "launchAtLogin");
  EXPECT_EQ(told_, "other ") << "removal is per object";
  kvo_.removeObservers(&controller_);  // nothing left to remove
}

TEST_F(KeyValueObserversBook, AnObserverMayRemoveItselfWhileBeingTold) {
  int calls = 0;
  kvo_.addObserver(&controller_, "launchAtLogin", [&] {
    ++calls;
    kvo_.removeObservers(&controller_);
  });
  kvo_.didChangeValueForKey(&controller_, "launchAtLogin");
  kvo_.didChangeValueForKey(&controller_, "launchAtLogin");
  EXPECT_EQ(calls, 1);
}

TEST_F(KeyValueObserversBook, AnObserverRemovedByAnEarlierOneIsNotToldThisChange) {
  // The window whose observers go may be gone once the removal returns.
  kvo_.addObserver(&controller_, "launchAtLogin", [&] {
    told_ += "closer ";
    kvo_.removeObservers(&controller_);
  });
  observe(&controller_, "launchAtLogin", "removed");
  kvo_.didChangeValueForKey(&controller_, "launchAtLogin");
  EXPECT_EQ(told_, "closer ");
}

TEST_F(KeyValueObserversBook, AnObserverAddedWhileTellingHearsOnlyLaterChanges) {
  bool added = false;
  kvo_.addObserver(&controller_, "launchAtLogin", [&] {
    if (added) return;
    added = true;
    observe(&controller_, "launchAtLogin", "late");
  });
  kvo_.didChangeValueForKey(&controller_, "launchAtLogin");
  EXPECT_EQ(told_, "");
  kvo_.didChangeValueForKey(&controller_, "launchAtLogin");
  EXPECT_EQ(told_, "late ");
}

TEST(KeyValueObserversTrace, EachDidChangeAnnouncementIsALineWhenTraced) {
  std::ostringstream out;
  FixedClock clock;
  backend::Trace trace(out, clock);
  backend::KeyValueObservers kvo(&trace);
  platform::NibObject controller;
  int told = 0;
  kvo.addObserver(&controller, "launchAtLogin", [&] { ++told; });
  kvo.willChangeValueForKey(&controller, "launchAtLogin");
  kvo.didChangeValueForKey(&controller, "launchAtLogin");
  kvo.didChangeValueForKey(&controller, "unobserved");
  EXPECT_EQ(out.str(),
            "0.000 kvo.change launchAtLogin\n"
            "0.000 kvo.change unobserved\n");
  EXPECT_EQ(told, 1);

  // Without a trace the observers are told all the same.
  backend::KeyValueObservers untraced(nullptr);
  untraced.addObserver(&controller, "launchAtLogin", [&] { ++told; });
  untraced.didChangeValueForKey(&controller, "launchAtLogin");
  EXPECT_EQ(told, 2);
  EXPECT_EQ(trace.lines(), 2u);
}

}  // namespace
