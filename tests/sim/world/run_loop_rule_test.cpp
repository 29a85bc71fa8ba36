// The run-loop rule after the agent was held (blocked, asleep, its mode not
// running): a repeating timer that missed fire times fires once and goes on
// at the first of its old times after that; overdue requests run in the
// order they were scheduled; held work that was cancelled never runs.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "sim/services/sim_runloop.h"

namespace {

using sim::Nanos;
using sim::RunQueue;

constexpr Nanos kSecond = 1'000'000'000;

class RunLoopRule : public testing::Test {
 protected:
  // Holds the agent's work from `from` to `until`, as a wait or a sleep does.
  void holdBetween(Nanos from, Nanos until, unsigned tags = RunQueue::kAgentWork) {
    queue.schedule(from, RunQueue::kInput, 0, [this, tags] { queue.hold(tags); });
    queue.schedule(until, RunQueue::kSystem, 0, [this, tags] { queue.unhold(tags); });
  }
  void runUntil(Nanos t) {
    while (queue.runOne(t)) {
    }
  }
  // The timer's fire times up to `end`, held from 1.2 s to `until`.
  std::vector<Nanos> fireTimes(Nanos until, Nanos end) {
    std::vector<Nanos> fired;
    auto timer = runLoop.scheduleTimer(
        0.5, "T", "tick", [&] { fired.push_back(queue.now()); }, true);
    holdBetween(1200 * kSecond / 1000, until);
    runUntil(end);
    timer->invalidate();
    return fired;
  }

  std::ostringstream out;
  RunQueue queue;
  sim::Trace trace{out, queue};
  sim::World world{trace};
  sim::DefaultsStore defaults{trace};
  sim::SessionContext ctx = [this] {
    sim::SessionContext c(world, queue, trace, defaults);
    c.owner = 1;
    return c;
  }();
  sim::SimRunLoop runLoop{ctx};
};

TEST_F(RunLoopRule, AHeldTimerFiresOnceThenKeepsItsSchedule) {
  const Nanos two = 2 * kSecond;
  // Let go just before a fire time: the missed ones (1.5) make one firing,
  // and 2.0 is still to come.
  EXPECT_EQ(fireTimes(two - 1, 3 * kSecond),
            (std::vector<Nanos>{kSecond / 2, kSecond, two - 1, two, 5 * kSecond / 2, 3 * kSecond}));
}

TEST_F(RunLoopRule, LetGoAtAFireTimeTheTimerFiresOnceThere) {
  const Nanos two = 2 * kSecond;
  EXPECT_EQ(fireTimes(two, 3 * kSecond),
            (std::vector<Nanos>{kSecond / 2, kSecond, two, 5 * kSecond / 2, 3 * kSecond}));
}

TEST_F(RunLoopRule, LetGoJustAfterAFireTimeTheNextIsTheOneAfter) {
  const Nanos two = 2 * kSecond;
  EXPECT_EQ(fireTimes(two + 1, 3 * kSecond),
            (std::vector<Nanos>{kSecond / 2, kSecond, two + 1, 5 * kSecond / 2, 3 * kSecond}));
}

TEST_F(RunLoopRule, OverdueRequestsRunInTheOrderTheyWereScheduled) {
  std::string order;
  int target = 0;
  // A is due after B, but was scheduled first.
  runLoop.performAfterDelay(&target, "a", 1.0, [&] { order += "a "; });
  queue.schedule(kSecond / 2, RunQueue::kWork, 1, [&] {
    runLoop.performAfterDelay(&target, "b", 0.2, [&] { order += "b "; });
    runLoop.performAfterDelay(&target, "gone", 0.1, [&] { order += "gone "; });
  });
  queue.schedule(kSecond / 2 + 1, RunQueue::kInput, 0, [&] { queue.hold(RunQueue::kAgentWork); });
  // Withdrawn while held: it never runs.
  queue.schedule(kSecond, RunQueue::kInput, 0,
                 [&] { runLoop.cancelPreviousPerformRequests(&target, "gone"); });
  queue.schedule(2 * kSecond, RunQueue::kSystem, 0, [&] { queue.unhold(RunQueue::kAgentWork); });
  runUntil(3 * kSecond);
  EXPECT_EQ(order, "a b ");
  EXPECT_EQ(runLoop.pendingRequests(), 0u);
}

TEST_F(RunLoopRule, TrackingHoldsOnlyTheDefaultMode) {
  std::vector<std::string> fired;
  auto common = runLoop.scheduleCommonModesTimer(
      0.5, "T", "common", [&] { fired.push_back("common"); }, true);
  auto plain = runLoop.scheduleTimer(
      0.5, "T", "plain", [&] { fired.push_back("plain"); }, true);
  auto dispatch = runLoop.createDispatchTimer("D");
  dispatch->setTimer(0.5, 0.5, 0);
  dispatch->setEventHandler([&] { fired.push_back("dispatch"); });
  dispatch->resume();
  holdBetween(kSecond / 4, 5 * kSecond / 4, RunQueue::kDefaultMode);
  runUntil(kSecond);
  EXPECT_EQ(fired, (std::vector<std::string>{"common", "dispatch", "common", "dispatch"}));
  fired.clear();
  runUntil(5 * kSecond / 4);  // let go: the plain timer's one late firing
  EXPECT_EQ(fired, (std::vector<std::string>{"plain"}));
  common->invalidate();
  plain->invalidate();
}

}  // namespace
