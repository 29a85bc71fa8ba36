// Setting up the world grows linearly: N Dock items of running applications
// and N more applications without an item, built and launched with the
// agent. The sizes are beyond what a scenario file may declare (its limits
// bound what a tick costs, sim/scenario/scenario_limits.h); the set-up has no bound
// of its own, so the typed commands are made here directly.
#include <benchmark/benchmark.h>

#include <memory>

#include "app/entry.h"
#include "null_stream.h"
#include "sim/desktop/desktop.h"

namespace {

sim::Scenario worldOf(std::size_t n) {
  sim::Scenario s;
  s.file = "bench";
  s.setup.push_back({0, sim::DefaultsSet{"isFirstStartPassed", true}});
  for (std::size_t i = 0; i < n; ++i)
    s.setup.push_back(
        {0, sim::AddDockItem{sim::DockItemKind::App, "Application " + std::to_string(i),
                             std::nullopt, true, std::nullopt}});
  for (std::size_t i = 0; i < n; ++i)
    s.setup.push_back({0, sim::AddApp{"Helper " + std::to_string(i), std::nullopt}});
  s.runUntil = 0;
  return s;
}

void BM_SetUpWorld(benchmark::State& state) {
  auto n = static_cast<std::size_t>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto scenario = worldOf(n);
    bench::NullStream out;
    state.ResumeTiming();
    auto desktop = std::make_unique<sim::Desktop>(
        std::move(scenario), out, sim::DesktopOptions{agentMain, VISTREL_RESOURCE_DIR, {}, {}});
    desktop->begin();
    state.PauseTiming();
    if (desktop->world().processes().size() < 2 * n)
      state.SkipWithError("not every application was started");
    desktop.reset();
    state.ResumeTiming();
  }
  state.SetComplexityN(state.range(0));
  state.counters["applications"] = static_cast<double>(2 * n);
}
BENCHMARK(BM_SetUpWorld)
    ->Arg(2500)
    ->Arg(10000)
    ->Arg(40000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace
