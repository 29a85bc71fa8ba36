// The simulation's one queue: order by time, then input before other work,
// then scheduling order; cancelled work never runs; stale ids stay stale.
#include "sim/world/run_queue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using sim::RunQueue;

TEST(RunQueue, OrdersByTimeThenInputThenSchedulingOrder) {
  RunQueue q;
  std::string order;
  q.schedule(20, RunQueue::kWork, 1, [&] { order += "w20 "; });
  q.schedule(10, RunQueue::kWork, 1, [&] { order += "w10a "; });
  q.schedule(10, RunQueue::kWork, 1, [&] { order += "w10b "; });
  q.schedule(10, RunQueue::kInput, 0, [&] { order += "i10 "; });
  while (q.runOne(100)) {
  }
  EXPECT_EQ(order, "i10 w10a w10b w20 ");
  EXPECT_EQ(q.now(), 20);
}

TEST(RunQueue, RunsNothingPastTheLimitAndNeverGoesBack) {
  RunQueue q;
  int runs = 0;
  q.schedule(1000, RunQueue::kWork, 1, [&] { ++runs; });
  EXPECT_FALSE(q.runOne(999));
  EXPECT_EQ(runs, 0);
  EXPECT_TRUE(q.runOne(1000));
  q.advanceTo(5000);
  q.advanceTo(10);
  EXPECT_EQ(q.now(), 5000);
  // Work due in the past runs now, after what is already due now.
  std::string order;
  q.schedule(5000, RunQueue::kWork, 1, [&] { order += "now "; });
  q.schedule(1, RunQueue::kWork, 1, [&] { order += "late "; });
  while (q.runOne(5000)) {
  }
  EXPECT_EQ(order, "now late ");
}

TEST(RunQueue, CancelledWorkNeverRunsAndStaleIdsStayStale) {
  RunQueue q;
  int runs = 0;
  auto first = q.schedule(10, RunQueue::kWork, 1, [&] { ++runs; });
  EXPECT_TRUE(q.cancel(first));
  EXPECT_FALSE(q.cancel(first));
  EXPECT_FALSE(q.cancel(0));
  // The freed slot is reused; the old id must not reach the new item.
  auto second = q.schedule(10, RunQueue::kWork, 1, [&] { ++runs; });
  EXPECT_NE(first, second);
  EXPECT_FALSE(q.cancel(first));
  EXPECT_TRUE(q.runOne(10));
  EXPECT_EQ(runs, 1);
  EXPECT_FALSE(q.cancel(second)) << "an item that ran cannot be cancelled";
  EXPECT_EQ(q.pending(), 0u);
}

TEST(RunQueue, CancelOwnerDropsOnlyThatOwnersWork) {
  RunQueue q;
  std::string order;
  q.schedule(1, RunQueue::kWork, 1, [&] { order += "a "; });
  q.schedule(2, RunQueue::kWork, 2, [&] { order += "b "; });
  q.schedule(3, RunQueue::kInput, 0, [&] { order += "input "; });
  q.cancelOwner(1);
  EXPECT_EQ(q.pending(), 2u);
  while (q.runOne(10)) {
  }
  EXPECT_EQ(order, "b input ");
}

TEST(RunQueue, WorkMayScheduleAndCancelWhileItRuns) {
  RunQueue q;
  std::string order;
  RunQueue::Id doomed = q.schedule(5, RunQueue::kWork, 1, [&] { order += "doomed "; });
  q.schedule(1, RunQueue::kWork, 1, [&] {
    order += "first ";
    q.cancel(doomed);
    q.schedule(2, RunQueue::kWork, 1, [&] { order += "added "; });
  });
  while (q.runOne(10)) {
  }
  EXPECT_EQ(order, "first added ");
}

TEST(RunQueue, ManyCancellationsKeepTheQueueSmallAndOrdered) {
  RunQueue q;
  std::vector<int> ran;
  for (int round = 0; round < 1000; ++round) {
    auto id = q.schedule(100 + round, RunQueue::kWork, 1, [] {});
    q.cancel(id);
  }
  for (int i = 9; i >= 0; --i) q.schedule(i, RunQueue::kWork, 1, [&ran, i] { ran.push_back(i); });
  while (q.runOne(2000)) {
  }
  EXPECT_EQ(ran, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(q.pending(), 0u);
}

TEST(RunQueue, SecondsBecomeNanosecondsWithinBounds) {
  EXPECT_EQ(sim::toNanos(0.1), 100'000'000);
  EXPECT_EQ(sim::toNanos(static_cast<double>(0.1f)), 100'000'001);
  EXPECT_EQ(sim::toNanos(std::nan("")), 0);
  EXPECT_EQ(sim::toNanos(1e300), sim::kMaxNanos);
  EXPECT_EQ(sim::toNanos(-HUGE_VAL), -sim::kMaxNanos);
}

}  // namespace
