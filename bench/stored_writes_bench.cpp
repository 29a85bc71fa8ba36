// What the stored files write: relaunches that change no defaults, with a
// 20 MB defaults file, must write (next to) nothing. The counter
// `bytes_written` is what the process handed to write() (/proc/self/io,
// Linux only), the trace included.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/entry.h"
#include "null_stream.h"
#include "sim/desktop/desktop.h"

namespace {

namespace fs = std::filesystem;

// Bytes this process has written so far, or -1 where that is not known.
long long bytesWritten() {
  std::ifstream io("/proc/self/io");
  std::string name;
  long long value = 0;
  while (io >> name >> value)
    if (name == "wchar:") return value;
  return -1;
}

void BM_RelaunchesWithLargeDefaults(benchmark::State& state) {
  const auto relaunches = static_cast<int>(state.range(0));
  fs::path folder = fs::temp_directory_path() / ("vistrel-bench-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  std::string defaults = (folder / "defaults").string();
  {
    std::ofstream out(defaults);
    const std::string value(1000, 'y');
    for (int i = 0; out.tellp() < 20'000'000; ++i)
      out << "pad" << i << " string \"" << value << "\"\n";
  }
  std::string text;
  for (int i = 1; i <= relaunches; ++i) text += "at " + std::to_string(i) + " relaunch\n";
  bench::NullStream out;
  auto run = [&] {
    std::istringstream in(text);
    sim::Desktop desktop(sim::parseScenario(in, "bench.scn"), out,
                         {agentMain, VISTREL_RESOURCE_DIR, defaults, {}});
    desktop.run();
  };
  run();  // the agent's own defaults are written once, at the first launch
  long long written = 0;
  for (auto _ : state) {
    long long before = bytesWritten();
    run();
    written += bytesWritten() - before;
  }
  fs::remove_all(folder);
  if (bytesWritten() >= 0)
    state.counters["bytes_written"] =
        static_cast<double>(written) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_RelaunchesWithLargeDefaults)->Arg(143)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
