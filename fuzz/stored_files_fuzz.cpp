// libFuzzer target: any bytes as a defaults file and as a login-items file.
// What loads must save and load again to the very same contents, with
// nothing to report the second time; a damaged file must be kept aside
// byte for byte. Anything else aborts.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "sim/stored/defaults_store.h"
#include "sim/stored/login_items_store.h"
#include "sim/world/run_queue.h"
#include "sim/world/trace.h"

namespace {

namespace fs = std::filesystem;

void require(bool ok, const char* what, const std::string& detail = "") {
  if (ok) return;
  std::fprintf(stderr, "stored_files_fuzz: %s\n%s\n", what, detail.c_str());
  std::abort();
}

// A folder for one input, in memory where the system offers one; removed
// when the input is done.
class Folder {
 public:
  Folder() {
    fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string pattern = (base / "vistrel-fuzz-XXXXXX").string();
    require(::mkdtemp(pattern.data()) != nullptr, "cannot make a folder");
    path_ = pattern;
  }
  ~Folder() { fs::remove_all(path_); }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

std::string read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// What the store holds, to compare (floats by bits, through their text).
bool sameHeld(const sim::DefaultsStore& a, const sim::DefaultsStore& b) {
  if (a.values().size() != b.values().size()) return false;
  for (auto x = a.values().begin(), y = b.values().begin(); x != a.values().end(); ++x, ++y) {
    if (x->first != y->first || x->second.index() != y->second.index()) return false;
    auto* dx = std::get_if<double>(&x->second);
    auto* dy = std::get_if<double>(&y->second);
    if (dx ? std::memcmp(dx, dy, sizeof *dx) != 0 : x->second != y->second) return false;
  }
  return true;
}
bool sameHeld(const sim::LoginItemsStore& a, const sim::LoginItemsStore& b) {
  return a.urls() == b.urls();
}

template <typename Store>
void roundTrip(const std::string& bytes, const char* damagedWhat) {
  Folder folder;
  const std::string path = (folder.path() / "file").string();
  std::ofstream(path, std::ios::binary) << bytes;

  std::ostringstream out;
  sim::RunQueue clock;
  sim::Trace trace(out, clock);
  Store first(trace);
  std::string report;
  first.attachFile(path, &report);
  require(report.empty() || report.rfind(path + ":", 0) == 0, "a report not naming the file",
          report);
  if (report.find(std::string(": damaged ") + damagedWhat + " file (") != std::string::npos) {
    require(read(path + ".damaged") == bytes, "the damaged file was not kept whole", report);
    require(!fs::exists(path), "the damaged file is still in its place");
  }

  const std::string saved = first.contents();
  require(first.save(), "a save failed");
  require(read(path) == saved, "the file differs from what was saved");

  Store second(trace);
  std::string again;
  second.attachFile(path, &again);
  require(again.empty(), "a saved file does not load cleanly", again + "\n---\n" + saved);
  require(sameHeld(first, second), "a saved file loads to other values", saved);
  require(second.contents() == saved, "a saved file loads to other contents",
          saved + "\n---\n" + second.contents());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  roundTrip<sim::DefaultsStore>(bytes, "defaults");
  roundTrip<sim::LoginItemsStore>(bytes, "login-items");
  return 0;
}
