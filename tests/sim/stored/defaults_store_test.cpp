// The defaults file: saved atomically, read back exactly, and a damaged file
// is kept aside, never overwritten, while the store starts empty.
#include "sim/stored/defaults_store.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/world/run_queue.h"
#include "sim/world/trace.h"

namespace fs = std::filesystem;

namespace {

class DefaultsFile : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "vistrel-defaults-XXXXXX").string();
    ASSERT_TRUE(::mkdtemp(pattern.data()));
    dir = pattern;
    path = (dir / "defaults").string();
  }
  void TearDown() override { fs::remove_all(dir); }

  static void write(const std::string& p, const std::string& text) { std::ofstream(p) << text; }
  static std::string read(const std::string& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::vector<std::string> files() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir;
  std::string path;
  std::ostringstream traceText;
  sim::RunQueue clock;
  sim::Trace trace{traceText, clock};
};

TEST_F(DefaultsFile, RoundTripKeepsEveryValueExactly) {
  {
    sim::DefaultsStore store(trace);
    std::string report;
    store.attachFile(path, &report);
    EXPECT_EQ(report, "");
    store.set("flag", true);
    store.set("count", std::int64_t{-9000000000});
    store.set("delay", static_cast<double>(0.1f));
    store.set("tenth", 0.1);
    store.set("name", std::string("say \"hi\" \\ # not a comment"));
    EXPECT_TRUE(store.synchronize());
  }
  EXPECT_EQ(files(), std::vector<std::string>{"defaults"});  // no .tmp left behind

  sim::DefaultsStore again(trace);
  std::string report;
  again.attachFile(path, &report);
  EXPECT_EQ(report, "");
  EXPECT_EQ(again.get("flag"), platform::PrefValue(true));
  EXPECT_EQ(again.get("count"), platform::PrefValue(std::int64_t{-9000000000}));
  EXPECT_EQ(again.get("delay"), platform::PrefValue(static_cast<double>(0.1f)));
  EXPECT_EQ(again.get("tenth"), platform::PrefValue(0.1));
  EXPECT_EQ(again.get("name"), platform::PrefValue(std::string("say \"hi\" \\ # not a comment")));
  EXPECT_FALSE(again.get("absent"));
}

TEST_F(DefaultsFile, MissingFileStartsEmptyAndIsCreatedOnSave) {
  sim::DefaultsStore store(trace);
  std::string report;
  store.attachFile(path, &report);
  EXPECT_EQ(report, "");
  EXPECT_TRUE(files().empty());
  store.set("modKey", std::int64_t{2});
  EXPECT_TRUE(store.save());
  EXPECT_EQ(read(path), "modKey int 2\n");
}

TEST_F(DefaultsFile, DamagedFileIsKeptAsideAndNeverOverwritten) {
  const std::string first = "modKey int 2\ndelay float soon\n";
  const std::string second = "\"unterminated\n";
  write(path, first);
  sim::DefaultsStore store(trace);
  std::string report;
  store.attachFile(path, &report);
  EXPECT_NE(report.find(path + ":2: damaged defaults file"), std::string::npos) << report;
  EXPECT_NE(report.find("kept as " + path + ".damaged;"), std::string::npos) << report;
  EXPECT_FALSE(store.get("modKey"));  // nothing of the damaged file is used
  EXPECT_EQ(files(), std::vector<std::string>{"defaults.damaged"});

  // Saving writes a fresh file and leaves the damaged one alone.
  store.set("modKey", std::int64_t{1});
  EXPECT_TRUE(store.synchronize());
  EXPECT_EQ(read(path), "modKey int 1\n");
  EXPECT_EQ(read(path + ".damaged"), first);

  // A second damaged file goes beside the first, not over it.
  write(path, second);
  sim::DefaultsStore later(trace);
  report.clear();
  later.attachFile(path, &report);
  EXPECT_NE(report.find("kept as " + path + ".damaged.1;"), std::string::npos) << report;
  EXPECT_FALSE(later.get("modKey"));
  EXPECT_EQ(read(path + ".damaged"), first);
  EXPECT_EQ(read(path + ".damaged.1"), second);
  EXPECT_EQ(files(), (std::vector<std::string>{"defaults.damaged", "defaults.damaged.1"}));
}

TEST_F(DefaultsFile, EveryKindOfDamageIsCaught) {
  for (const char* text : {"modKey int\n", "modKey int 2 3\n", "\"modKey\" int 2\n",
                           "modKey long 2\n", "modKey int 2.5x\n"}) {
    write(path, text);
    sim::DefaultsStore store(trace);
    std::string report;
    store.attachFile(path, &report);
    EXPECT_NE(report, "") << text;
    EXPECT_FALSE(fs::exists(path)) << text;
    for (const auto& e : fs::directory_iterator(dir)) fs::remove(e.path());
  }
}

}  // namespace

namespace {

// A path that exists but is no readable regular file is reported and left
// alone for the whole run: nothing is renamed, nothing is written over it,
// and no save claims to have kept the changes.
TEST_F(DefaultsFile, PathThatIsNotAFileIsNeverWritten) {
  fs::create_directory(path);
  write(path + "/inside", "keep me");
  sim::DefaultsStore store(trace);
  std::string report;
  store.attachFile(path, &report);
  EXPECT_NE(report.find(path + ":0: cannot use this defaults file (not a regular file)"),
            std::string::npos)
      << report;
  store.set("modKey", std::int64_t{2});
  EXPECT_FALSE(store.synchronize());
  EXPECT_EQ(traceText.str().find("defaults.sync"), std::string::npos) << traceText.str();
  EXPECT_FALSE(store.changesKept());
  EXPECT_TRUE(fs::is_directory(path));
  EXPECT_EQ(read(path + "/inside"), "keep me");
  EXPECT_EQ(files(), std::vector<std::string>{"defaults"});
}

}  // namespace

namespace {

// A file that cannot be saved (its folder is missing) is reported once on
// standard error; the run goes on with the values in memory.
TEST_F(DefaultsFile, SaveFailureIsReportedOnce) {
  std::string missing = (dir / "no-such-folder" / "defaults").string();
  sim::DefaultsStore store(trace);
  std::string report;
  store.attachFile(missing, &report);
  EXPECT_EQ(report, "");
  testing::internal::CaptureStderr();
  store.set("modKey", std::int64_t{2});
  EXPECT_FALSE(store.synchronize());
  EXPECT_FALSE(store.synchronize());
  std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_EQ(errors, "vistrel-desktop: " + missing +
                        ":0: cannot be saved (No such file or directory); changes are kept only "
                        "while the simulation runs\n");
  EXPECT_EQ(store.get("modKey"), platform::PrefValue(std::int64_t{2}));
}

}  // namespace
