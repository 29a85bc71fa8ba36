// Login-item observers shared by every list: matching by all three of mode,
// callback and context, announcements delivered later, and observers that
// come or go between an announcement and its delivery.
#include "backend/login_item_observers.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using platform::RunLoopMode;

std::vector<std::string>* heard = nullptr;
void noteA(platform::LoginItemList*, void* context) {
  heard->push_back("A " + *static_cast<std::string*>(context));
}
void noteB(platform::LoginItemList*, void* context) {
  heard->push_back("B " + *static_cast<std::string*>(context));
}

class LoginItemObserversTest : public ::testing::Test {
 protected:
  void SetUp() override { heard = &heard_; }
  void TearDown() override { heard = nullptr; }
  // Announces a change; the deliveries are queued, as a run loop would.
  void announce(backend::LoginItemObservers& observers) {
    observers.announce([this](RunLoopMode mode, std::function<void()> deliver) {
      queued_.emplace_back(mode, std::move(deliver));
    });
  }
  void runQueued() {
    auto queued = std::move(queued_);
    queued_.clear();
    for (auto& [mode, deliver] : queued) deliver();
  }
  std::vector<std::string> heard_;
  std::vector<std::pair<RunLoopMode, std::function<void()>>> queued_;
  std::string one = "one", two = "two";
};

TEST_F(LoginItemObserversTest, RemovalMatchesModeCallbackAndContextTogether) {
  backend::LoginItemObservers observers;
  observers.add(nullptr, RunLoopMode::Default, noteA, &one);
  observers.add(nullptr, RunLoopMode::Common, noteA, &one);
  observers.add(nullptr, RunLoopMode::Default, noteB, &one);
  observers.add(nullptr, RunLoopMode::Default, noteA, &two);
  observers.add(nullptr, RunLoopMode::Default, noteA, &one);  // the same again

  EXPECT_EQ(observers.remove(RunLoopMode::Default, noteA, &one).size(), 2u);
  EXPECT_TRUE(observers.remove(RunLoopMode::Default, noteA, &one).empty());
  announce(observers);
  ASSERT_EQ(queued_.size(), 3u);
  EXPECT_EQ(queued_[0].first, RunLoopMode::Common);
  runQueued();
  EXPECT_EQ(heard_, (std::vector<std::string>{"A one", "B one", "A two"}));
}

TEST_F(LoginItemObserversTest, AnObserverRemovedBeforeDeliveryHearsNothing) {
  backend::LoginItemObservers observers;
  observers.add(nullptr, RunLoopMode::Default, noteA, &one);
  observers.add(nullptr, RunLoopMode::Default, noteB, &two);
  announce(observers);
  observers.remove(RunLoopMode::Default, noteA, &one);
  // Added after the announcement: hears the next one only.
  observers.add(nullptr, RunLoopMode::Default, noteA, &two);
  runQueued();
  EXPECT_EQ(heard_, std::vector<std::string>{"B two"});
}

TEST_F(LoginItemObserversTest, NothingAnnouncedIsDeliveredOnceTheListIsGone) {
  {
    backend::LoginItemObservers observers;
    observers.add(nullptr, RunLoopMode::Default, noteA, &one);
    announce(observers);
  }
  runQueued();
  EXPECT_TRUE(heard_.empty());
}

// The simulated list keeps its own records by value; the same rule applies.
struct Record {
  RunLoopMode mode;
  platform::LoginItemsChangedCallback callback;
  void* context;
  std::shared_ptr<bool> live;
};

TEST_F(LoginItemObserversTest, RecordsByValueFollowTheSameRule) {
  std::vector<Record> records{{RunLoopMode::Default, noteA, &one, std::make_shared<bool>(true)},
                              {RunLoopMode::Default, noteB, &one, std::make_shared<bool>(true)},
                              {RunLoopMode::Default, noteA, &one, std::make_shared<bool>(true)}};
  auto firstLive = records[0].live;
  auto removed = backend::removeObservers(records, RunLoopMode::Default, noteA, &one);
  EXPECT_EQ(removed.size(), 2u);
  EXPECT_FALSE(*firstLive);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].callback, &noteB);
  EXPECT_TRUE(*records[0].live);
}

}  // namespace
