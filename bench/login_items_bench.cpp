// Login items added at one time by another program (`login-items add`, what
// the live page sends), with the agent observing the list: each change runs
// its observer, which takes a snapshot of the whole list to find its own
// item. The time must grow with the changes, not with changes times items.
// Args: adds, distinct URLs (beyond the list's bound of 1,000 items an add
// is refused; with 1,000 URLs every add moves an item of a full list).
#include <benchmark/benchmark.h>

#include <iostream>
#include <memory>
#include <sstream>

#include "app/entry.h"
#include "null_stream.h"
#include "sim/desktop/desktop.h"

namespace {

sim::Scenario addsAtOneTime(int adds, int distinct) {
  std::string text;
  for (int i = 0; i < adds; ++i)
    text += "at 1 login-items add \"file:///Applications/App" + std::to_string(i % distinct) +
            ".app/\"\n";
  text += "run 2\n";
  std::istringstream in(text);
  return sim::parseScenario(in, "bench.scn");
}

void BM_LoginItemAddsAtOneTime(benchmark::State& state) {
  auto scenario = addsAtOneTime(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  bench::NullStream out, errors;
  // Adds past the bound are refused with a line each on standard error.
  auto* stderrBuffer = std::cerr.rdbuf(errors.rdbuf());
  std::size_t items = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto copy = scenario;
    state.ResumeTiming();
    sim::Desktop desktop(std::move(copy), out, {agentMain, VISTREL_RESOURCE_DIR, {}, {}});
    desktop.begin();
    desktop.advanceTo(desktop.endTime());
    items = desktop.loginItems().entries().size();
    desktop.finish();
  }
  std::cerr.rdbuf(stderrBuffer);
  state.counters["items"] = static_cast<double>(items);
  state.counters["adds"] = benchmark::Counter(
      static_cast<double>(state.range(0)) * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LoginItemAddsAtOneTime)
    ->Args({10000, 10000})
    ->Args({20000, 20000})
    ->Args({10000, 1000})
    ->Args({20000, 1000})
    ->Unit(benchmark::kMillisecond);

}  // namespace
