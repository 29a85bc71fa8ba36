// Loading the user's stored files: the time must grow with the file's lines,
// not with their square (a repeat check that searched the list each line
// made a 40,000-item login-items file take sixteen times a 10,000-item one;
// the list now holds at most 1,000 items, so its file is measured at 250
// and 1,000).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "null_stream.h"
#include "sim/stored/defaults_store.h"
#include "sim/stored/login_items_store.h"
#include "sim/world/run_queue.h"
#include "sim/world/trace.h"

namespace {

namespace fs = std::filesystem;

// A file of `lines` lines in a folder of this process, removed afterwards.
class GeneratedFile {
 public:
  GeneratedFile(const std::string& name, int lines, std::string (*line)(int)) {
    folder_ = fs::temp_directory_path() / ("vistrel-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
    path_ = (folder_ / name).string();
    std::ofstream out(path_, std::ios::binary);
    for (int i = 0; i < lines; ++i) out << line(i);
  }
  ~GeneratedFile() {
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }
  const std::string& path() const { return path_; }

 private:
  fs::path folder_;
  std::string path_;
};

std::string loginItemLine(int i) {
  return "\"file:///Applications/Application%20" + std::to_string(i) + ".app/\"\n";
}

std::string defaultsLine(int i) {
  return "key" + std::to_string(i) + " string \"value " + std::to_string(i) + "\"\n";
}

template <typename Store>
void loadFile(benchmark::State& state, const char* name, std::string (*line)(int)) {
  const int lines = static_cast<int>(state.range(0));
  GeneratedFile file(name, lines, line);
  bench::NullStream out;
  sim::RunQueue clock;
  sim::Trace trace(out, clock);
  for (auto _ : state) {
    Store store(trace);
    std::string report;
    store.attachFile(file.path(), &report);
    if (!report.empty()) {
      state.SkipWithError(report.c_str());
      break;
    }
    benchmark::DoNotOptimize(store);
  }
  state.counters["lines"] = benchmark::Counter(static_cast<double>(lines) * state.iterations(),
                                               benchmark::Counter::kIsRate);
}

void BM_LoadLoginItems(benchmark::State& state) {
  loadFile<sim::LoginItemsStore>(state, "login-items", loginItemLine);
}
BENCHMARK(BM_LoadLoginItems)->Arg(250)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_LoadDefaults(benchmark::State& state) {
  loadFile<sim::DefaultsStore>(state, "defaults", defaultsLine);
}
BENCHMARK(BM_LoadDefaults)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);

}  // namespace
