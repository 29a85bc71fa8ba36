// The book of delayed perform requests: withdrawn per target or per target
// and selector, oldest first, and a withdrawn request never counts as run.
#include <gtest/gtest.h>

#include <vector>

#include "backend/perform_requests.h"

namespace {

using backend::PerformRequests;
using Ids = std::vector<PerformRequests::Id>;

class PerformRequestsBook : public ::testing::Test {
 protected:
  PerformRequests book_;
  const int delegate_ = 0, other_ = 0;
  const void* const delegate = &delegate_;
  const void* const other = &other_;
};

TEST_F(PerformRequestsBook, EachRequestRunsOnce) {
  auto a = book_.add(delegate, "showAppExpose");
  auto b = book_.add(delegate, "showAppExpose");
  EXPECT_NE(a, b) << "two requests of the same selector are two requests";
  EXPECT_EQ(book_.pending(), 2u);
  EXPECT_TRUE(book_.ran(b));
  EXPECT_FALSE(book_.ran(b)) << "a request runs once";
  EXPECT_EQ(book_.pending(), 1u);
  EXPECT_FALSE(book_.ran(b + 100)) << "an id never given out";
  EXPECT_TRUE(book_.ran(a));
  EXPECT_EQ(book_.pending(), 0u);
}

TEST_F(PerformRequestsBook, CancelsATargetsRequestsOldestFirstAndNoOneElses) {
  auto first = book_.add(delegate, "showAppExpose");
  auto foreign = book_.add(other, "showAppExpose");
  auto second = book_.add(delegate, "pressStack");
  auto third = book_.add(delegate, "showAppExpose");

  EXPECT_EQ(book_.cancel(delegate), (Ids{first, second, third}));
  EXPECT_EQ(book_.pending(), 1u);
  EXPECT_FALSE(book_.ran(first)) << "a withdrawn request must not run";
  EXPECT_FALSE(book_.ran(third));
  EXPECT_TRUE(book_.ran(foreign)) << "another target's request is untouched";
  EXPECT_EQ(book_.cancel(delegate), Ids{}) << "nothing is left to withdraw";
}

TEST_F(PerformRequestsBook, CancelsOneSelectorOfOneTarget) {
  auto expose1 = book_.add(delegate, "showAppExpose");
  auto stack = book_.add(delegate, "pressStack");
  auto foreign = book_.add(other, "showAppExpose");
  auto expose2 = book_.add(delegate, "showAppExpose");

  EXPECT_EQ(book_.cancel(delegate, "showAppExpose"), (Ids{expose1, expose2}));
  EXPECT_FALSE(book_.ran(expose1));
  EXPECT_TRUE(book_.ran(stack)) << "another selector of the same target stays";
  EXPECT_TRUE(book_.ran(foreign)) << "the same selector of another target stays";
  EXPECT_EQ(book_.cancel(delegate, "noSuchSelector"), Ids{});
}

TEST_F(PerformRequestsBook, ARequestThatRanIsNotWithdrawnLater) {
  auto done = book_.add(delegate, "showAppExpose");
  auto waiting = book_.add(delegate, "showAppExpose");
  ASSERT_TRUE(book_.ran(done));
  EXPECT_EQ(book_.cancel(delegate), Ids{waiting});
  // New requests after a withdrawal get new ids: a stale one cannot run them.
  auto fresh = book_.add(delegate, "showAppExpose");
  EXPECT_NE(fresh, done);
  EXPECT_NE(fresh, waiting);
  EXPECT_FALSE(book_.ran(waiting));
  EXPECT_TRUE(book_.ran(fresh));
}

}  // namespace

namespace {

// Timers are numbers; stopping one records it.
class PerformTimersTest : public ::testing::Test {
 protected:
  std::vector<int> stopped_;
  backend::PerformTimers<int> book_{[this](int& timer) { stopped_.push_back(timer); }};
};

TEST_F(PerformTimersTest, AWithdrawnRequestsTimerIsStoppedAndAFiringOfItRunsNothing) {
  int target = 0, other = 0;
  auto a = book_.add(&target, "show");
  book_.setTimer(a, 10);
  auto b = book_.add(&target, "hide");
  book_.setTimer(b, 11);
  auto c = book_.add(&other, "show");
  book_.setTimer(c, 12);

  const std::string show = "show";
  EXPECT_EQ(book_.cancel(&target, &show), 1u);
  EXPECT_EQ(stopped_, std::vector<int>{10});
  // The platform may still deliver a firing that was under way.
  EXPECT_FALSE(book_.fired(a));
  EXPECT_TRUE(book_.fired(c));
  EXPECT_FALSE(book_.fired(c));  // a request runs once
  EXPECT_EQ(book_.pending(), 1u);

  // A request whose timer has fired already is no longer withdrawn.
  EXPECT_EQ(book_.cancel(&target, nullptr), 1u);
  EXPECT_EQ(stopped_, (std::vector<int>{10, 11}));
  EXPECT_EQ(book_.cancel(&other, nullptr), 0u);
}

TEST_F(PerformTimersTest, ARequestWithdrawnBeforeItsTimerIsSetStopsNothing) {
  int target = 0;
  auto a = book_.add(&target, "show");
  EXPECT_EQ(book_.cancel(&target, nullptr), 1u);
  book_.setTimer(a, 10);  // set after all: the firing still runs nothing
  EXPECT_FALSE(book_.fired(a));
  EXPECT_TRUE(stopped_.empty());
  book_.setTimer(book_.add(&target, "hide"), 11);
  book_.stopAll();
  EXPECT_EQ(stopped_, std::vector<int>{11});
  EXPECT_EQ(book_.timers(), 0u);
}

}  // namespace
