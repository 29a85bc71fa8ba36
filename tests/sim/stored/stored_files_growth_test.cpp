// What the stored files cost as changes pile up: the login items hold at
// most kMaxLoginItems entries whoever adds them, a flood of changes saves the
// list once an interval rather than at each change, and a save that would
// write what the file already holds writes nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <random>
#include <sstream>

#include "app/entry.h"
#include "sim/desktop/desktop.h"
#include "sim/stored/defaults_store.h"
#include "sim/stored/login_items_store.h"
#include "sim/world/trace.h"
#include "tests/stored_files_folder.h"

namespace {

using platform::LoginItemPosition;
using stored_files_test::TempFolder;
namespace fs = std::filesystem;

std::string url(int i) { return "file:///Applications/App" + std::to_string(i) + ".app/"; }

std::string itemsFile(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += "\"" + url(i) + "\"\n";
  return text;
}

class StoredGrowth : public TempFolder {
 protected:
  std::ostringstream traceText;
  sim::RunQueue clock;
  sim::Trace trace{traceText, clock};
};

TEST_F(StoredGrowth, TheLoginItemsFileHoldsAtMostTheBound) {
  write(at("full"), itemsFile(sim::kMaxLoginItems));
  sim::LoginItemsStore full(trace);
  std::string report;
  full.attachFile(at("full"), &report);
  EXPECT_EQ(report, "");
  EXPECT_EQ(full.entries().size(), sim::kMaxLoginItems);

  write(at("over"), itemsFile(sim::kMaxLoginItems + 1));
  sim::LoginItemsStore over(trace);
  over.attachFile(at("over"), &report);
  EXPECT_EQ(report, at("over") +
                        ":1001: damaged login-items file (the list holds at most 1000 login "
                        "items); kept as " +
                        at("over") + ".damaged; starting with no login items");
  EXPECT_TRUE(over.entries().empty());
  EXPECT_EQ(read(at("over.damaged")), itemsFile(sim::kMaxLoginItems + 1));
}

TEST_F(StoredGrowth, AFullListTakesNoNewItemFromAnySource) {
  sim::LoginItemsStore store(trace);
  for (int i = 0; i < static_cast<int>(sim::kMaxLoginItems); ++i) store.preset(url(i));
  testing::internal::CaptureStderr();
  store.preset(url(5000));
  EXPECT_EQ(store.insert(LoginItemPosition::Last, url(5001)), 0u);
  std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_EQ(errors, "vistrel-desktop: login item \"" + url(5000) +
                        "\": not stored (the list holds at most 1000 login items)\n"
                        "vistrel-desktop: login item \"" +
                        url(5001) + "\": not stored (the list holds at most 1000 login items)\n");
  EXPECT_EQ(store.entries().size(), sim::kMaxLoginItems);
  // What is there still moves, and keeps its item; a place freed is taken.
  auto id = store.entries()[10].id;
  auto item = store.item(id);
  EXPECT_EQ(store.insert(LoginItemPosition::BeforeFirst, url(10)), id);
  EXPECT_EQ(store.item(id), item);
  EXPECT_TRUE(store.removeURL(url(3)));
  EXPECT_NE(store.insert(LoginItemPosition::Last, url(5001)), 0u);
}

// A scenario's `login-item` lines come after the file's entries, within the
// same bound.
TEST_F(StoredGrowth, ScenarioLinesAfterAFileStayWithinTheBound) {
  write(at("items"), itemsFile(sim::kMaxLoginItems - 1));
  std::istringstream scenario("login-item \"file:///A.app/\"\nlogin-item \"file:///B.app/\"\n");
  std::ostringstream out;
  testing::internal::CaptureStderr();
  sim::Desktop desktop(sim::parseScenario(scenario, "test.scn"), out,
                       {agentMain, VISTREL_RESOURCE_DIR, {}, at("items")});
  desktop.begin();
  std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find("\"file:///B.app/\": not stored (the list holds at most 1000"),
            std::string::npos);
  EXPECT_EQ(desktop.loginItems().entries().size(), sim::kMaxLoginItems);
  EXPECT_EQ(desktop.loginItems().urls()[sim::kMaxLoginItems - 1], "file:///A.app/");
  desktop.finish();
}

TEST_F(StoredGrowth, AFloodOfChangesIsSavedOnceAnInterval) {
  sim::LoginItemsStore store(trace);
  std::string report;
  store.attachFile(at("items"), &report);
  std::int64_t now = 0;
  store.coalesceSaves(1000, [&] { return now; });
  std::mt19937 random(20);
  int saves = 0;
  std::pair<ino_t, fs::file_time_type> lastFile{};
  for (int change = 0; change < 5000; ++change, now += 1) {
    std::string u = url(static_cast<int>(random() % 1500));
    if (random() % 3)
      store.insert(random() % 2 ? LoginItemPosition::Last : LoginItemPosition::BeforeFirst, u);
    else
      store.removeURL(u);
    ASSERT_LE(store.entries().size(), sim::kMaxLoginItems);
    store.saveIfDue();
    // Each save puts a new file in place.
    struct stat st {};
    ASSERT_EQ(::stat(at("items").c_str(), &st), 0);
    auto identity = std::pair(st.st_ino, fs::last_write_time(at("items")));
    if (identity != lastFile) ++saves;
    lastFile = identity;
  }
  EXPECT_GE(saves, 5);  // at 0 ms, then once each 1,000 ms
  EXPECT_LE(saves, 6);
  EXPECT_FALSE(store.changesKept());
  store.saveIfBehind();
  EXPECT_TRUE(store.changesKept());
  sim::LoginItemsStore again(trace);
  again.attachFile(at("items"), &report);
  EXPECT_EQ(again.urls(), store.urls());
}

TEST_F(StoredGrowth, DefaultsThatDidNotChangeAreNotWrittenAgain) {
  const std::string file = "# kept as written\nmodKey int 2\ndelay float 0\n";
  write(at("defaults"), file);
  sim::DefaultsStore store(trace);
  std::string report;
  store.attachFile(at("defaults"), &report);
  EXPECT_TRUE(store.saveIfChanged());
  store.set("modKey", std::int64_t{2});
  EXPECT_TRUE(store.synchronize());
  EXPECT_EQ(traceText.str(), "0.000 defaults.write modKey int 2\n0.000 defaults.sync\n");
  EXPECT_EQ(read(at("defaults")), file);  // the comment shows nothing was written

  // -0 is another value than 0 in the file, though equal as a number.
  store.set("delay", -0.0);
  EXPECT_TRUE(store.synchronize());
  EXPECT_EQ(read(at("defaults")), "delay float -0\nmodKey int 2\n");
}

// The agent quits and starts again, many times, with a large defaults file
// it does not change: nothing is written.
TEST_F(StoredGrowth, RelaunchesThatChangeNothingWriteNothing) {
  std::string scenario = "trusted yes\n";
  for (int i = 1; i <= 30; ++i) scenario += "at " + std::to_string(i) + " relaunch\n";
  auto run = [&] {
    std::istringstream in(scenario);
    std::ostringstream out;
    sim::Desktop desktop(sim::parseScenario(in, "test.scn"), out,
                         {agentMain, VISTREL_RESOURCE_DIR, at("defaults"), {}});
    EXPECT_EQ(desktop.run(), 0);
  };
  std::string padding;
  for (int i = 0; i < 2000; ++i) padding += "pad" + std::to_string(i) + " string \"x\"\n";
  write(at("defaults"), padding);
  run();  // the first launch writes the agent's own defaults
  std::string settled = "# untouched\n" + read(at("defaults"));
  write(at("defaults"), settled);
  run();
  EXPECT_EQ(read(at("defaults")), settled);
}

}  // namespace
