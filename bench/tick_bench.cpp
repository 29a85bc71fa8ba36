// Simulated tracking ticks per second, and the Accessibility calls each tick
// costs, for the three kinds of tick: at rest off the Dock, at rest on a Dock
// item, and a full evaluation (the pointer moved since the last one).
#include <benchmark/benchmark.h>

#include <vector>

#include "tick_rig.h"

namespace {

// A tick at an unmoved pointer asks the platform for exactly this much: the
// hit test, the element's attribute names and its role.
constexpr std::uint64_t kCallsAtRest = 3;

void reportRates(benchmark::State& state, std::uint64_t calls) {
  state.counters["ticks"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["ax_calls_per_tick"] =
      benchmark::Counter(static_cast<double>(calls), benchmark::Counter::kAvgIterations);
}

// Ticks with the pointer left where it is; every one must cost kCallsAtRest.
void ticksAtRest(benchmark::State& state, bench::TickRig& rig) {
  // Let the first evaluation, and anything it scheduled, run its course.
  for (int i = 0; i < 4; ++i) rig.tick();
  std::uint64_t calls = 0;
  for (auto _ : state) {
    std::uint64_t before = rig.axCalls();
    rig.tick();
    std::uint64_t spent = rig.axCalls() - before;
    calls += spent;
    if (spent != kCallsAtRest) {
      state.SkipWithError("a tick at rest made other than 3 Accessibility calls");
      break;
    }
  }
  reportRates(state, calls);
}

void BM_TickAtRestOnDesktop(benchmark::State& state) {
  bench::TickRig rig;  // the pointer starts at the centre of the screen
  ticksAtRest(state, rig);
}
BENCHMARK(BM_TickAtRestOnDesktop);

void BM_TickAtRestOnDockItem(benchmark::State& state) {
  bench::TickRig rig;
  rig.world().pointer = rig.itemCentre(1);  // "Safari", running
  ticksAtRest(state, rig);
}
BENCHMARK(BM_TickAtRestOnDockItem);

// Before every tick the pointer moves on to the next of `items` (0-based
// Dock indices), so every tick hit-tests twice and reads the attributes.
void ticksAcross(benchmark::State& state, bench::TickRig& rig, const std::vector<int>& items) {
  std::vector<platform::Point> stops;
  for (int i : items) stops.push_back(rig.itemCentre(static_cast<std::size_t>(i)));
  std::size_t next = 0;
  std::uint64_t calls = 0;
  for (auto _ : state) {
    rig.world().pointer = stops[next];
    next = (next + 1) % stops.size();
    std::uint64_t before = rig.axCalls();
    rig.tick();
    std::uint64_t spent = rig.axCalls() - before;
    calls += spent;
    // A tick that asks nothing means the engine never started (no
    // permission, or no interface files): nothing here would be measured.
    if (spent == 0) {
      state.SkipWithError("a tick made no Accessibility call");
      break;
    }
  }
  reportRates(state, calls);
}

// The default Dock, item after item: running and stopped applications, a
// folder and the Trash, so App Exposé is shown and dismissed in turn.
void BM_TickFullEvaluation(benchmark::State& state) {
  bench::TickRig rig;
  ticksAcross(state, rig, {0, 1, 2, 3, 4, 5});
}
BENCHMARK(BM_TickFullEvaluation);

// Running applications only: every tick finds a new title and schedules
// App Exposé, the most expensive tick there is.
void BM_TickFullEvaluationRunningApps(benchmark::State& state) {
  bench::TickRig rig;
  ticksAcross(state, rig, {0, 1, 3});
}
BENCHMARK(BM_TickFullEvaluationRunningApps);

}  // namespace

BENCHMARK_MAIN();
