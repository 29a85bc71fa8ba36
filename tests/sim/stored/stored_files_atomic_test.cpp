// Saving the user's files: a temporary of the save's own beside the target,
// links saved through, failures never passed off as saves, and two savers
// at once leaving a whole file.
#include <unistd.h>

#include <atomic>
#include <thread>

#include "sim/stored/atomic_file.h"
#include "sim/stored/defaults_store.h"
#include "sim/stored/login_items_store.h"
#include "sim/world/run_queue.h"
#include "sim/world/trace.h"
#include "tests/stored_files_folder.h"

namespace {

using stored_files_test::TempFolder;
namespace fs = std::filesystem;

class StoredFile : public TempFolder {
 protected:
  std::ostringstream traceText;
  sim::RunQueue clock;
  sim::Trace trace{traceText, clock};
};

TEST_F(StoredFile, SaveNeverFollowsAPlantedTemporary) {
  write(at("victim"), "not ours");
  // Names a save might once have used, planted as links to someone's file.
  fs::create_symlink(at("victim"), at("defaults.tmp"));
  fs::create_symlink(at("victim"), at(".defaults.tmp"));
  EXPECT_EQ(sim::writeFileAtomically(at("defaults"), "modKey int 2\n"), std::nullopt);
  EXPECT_EQ(read(at("defaults")), "modKey int 2\n");
  EXPECT_EQ(read(at("victim")), "not ours");
  EXPECT_TRUE(isLink(at("defaults.tmp")));
  EXPECT_TRUE(isLink(at(".defaults.tmp")));
  EXPECT_EQ(names(),
            (std::vector<std::string>{".defaults.tmp", "defaults", "defaults.tmp", "victim"}));
}

TEST_F(StoredFile, SaveLeavesAnEarlierRunsTemporaryAlone) {
  const std::string earlier = at(".defaults.4242.00000000deadbeef.tmp");
  write(earlier, "left by a run that crashed");
  write(at("defaults"), "modKey int 1\n");
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(sim::writeFileAtomically(at("defaults"), "modKey int 2\n"), std::nullopt);
  EXPECT_EQ(read(earlier), "left by a run that crashed");
  EXPECT_EQ(read(at("defaults")), "modKey int 2\n");
  EXPECT_EQ(names(), (std::vector<std::string>{".defaults.4242.00000000deadbeef.tmp", "defaults"}));
}

TEST_F(StoredFile, SaveKeepsTheFilesPermissions) {
  write(at("private"), "old\n");
  fs::permissions(at("private"), fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_EQ(sim::writeFileAtomically(at("private"), "new\n"), std::nullopt);
  EXPECT_EQ(fs::status(at("private")).permissions(),
            fs::perms::owner_read | fs::perms::owner_write);

  mode_t mask = ::umask(022);
  ASSERT_EQ(sim::writeFileAtomically(at("fresh"), "new\n"), std::nullopt);
  ::umask(mask);
  EXPECT_EQ(fs::status(at("fresh")).permissions(), fs::perms::owner_read | fs::perms::owner_write |
                                                       fs::perms::group_read |
                                                       fs::perms::others_read);
}

TEST_F(StoredFile, SymlinkStaysALink) {
  fs::create_directories(dir / "real");
  fs::create_directories(dir / "home");
  write(at("real/defaults"), "modKey int 1\n");
  fs::create_symlink("../real/defaults", at("home/defaults"));

  sim::DefaultsStore store(trace);
  std::string report;
  store.attachFile(at("home/defaults"), &report);
  EXPECT_EQ(report, "");
  EXPECT_EQ(store.get("modKey"), platform::PrefValue(std::int64_t{1}));
  store.set("modKey", std::int64_t{2});
  EXPECT_TRUE(store.synchronize());

  EXPECT_TRUE(isLink(at("home/defaults")));
  EXPECT_EQ(fs::read_symlink(at("home/defaults")), "../real/defaults");
  EXPECT_EQ(read(at("real/defaults")), "modKey int 2\n");
  // The temporary went beside the target and was renamed away.
  EXPECT_EQ(names(dir / "real"), std::vector<std::string>{"defaults"});
  EXPECT_EQ(names(dir / "home"), std::vector<std::string>{"defaults"});
}

TEST_F(StoredFile, ChainOfLinksIsSavedAtItsEnd) {
  write(at("file"), "\"file:///Applications/A.app/\"\n");
  fs::create_symlink("file", at("second"));
  fs::create_symlink(at("second"), at("first"));
  sim::LoginItemsStore store(trace);
  std::string report;
  store.attachFile(at("first"), &report);
  EXPECT_EQ(report, "");
  store.insert(platform::LoginItemPosition::Last, "file:///Applications/B.app/");
  EXPECT_TRUE(isLink(at("first")));
  EXPECT_TRUE(isLink(at("second")));
  EXPECT_EQ(read(at("file")), "\"file:///Applications/A.app/\"\n\"file:///Applications/B.app/\"\n");
  EXPECT_TRUE(store.changesKept());
}

TEST_F(StoredFile, DanglingLinkIsReportedAndNotReplaced) {
  fs::create_symlink(at("nowhere/defaults"), at("defaults"));
  sim::DefaultsStore store(trace);
  std::string report;
  store.attachFile(at("defaults"), &report);
  EXPECT_NE(report.find(at("defaults") + ":0: cannot use this defaults file (a link to nothing"),
            std::string::npos)
      << report;
  store.set("modKey", std::int64_t{2});
  EXPECT_FALSE(store.synchronize());
  EXPECT_FALSE(store.changesKept());
  EXPECT_TRUE(isLink(at("defaults")));
  EXPECT_EQ(fs::read_symlink(at("defaults")), at("nowhere/defaults"));
  EXPECT_EQ(names(), std::vector<std::string>{"defaults"});

  // A link that starts to dangle during the run is not replaced either.
  write(at("real"), "\"file:///Applications/A.app/\"\n");
  fs::create_symlink(at("real"), at("items"));
  sim::LoginItemsStore items(trace);
  items.attachFile(at("items"), &report);
  EXPECT_EQ(report, "");
  fs::remove(at("real"));
  testing::internal::CaptureStderr();
  items.insert(platform::LoginItemPosition::Last, "file:///Applications/B.app/");
  std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find(at("items") + ":0: cannot be saved (a link to nothing"), std::string::npos)
      << errors;
  EXPECT_FALSE(items.changesKept());
  EXPECT_TRUE(isLink(at("items")));
  EXPECT_FALSE(fs::exists(at("real")));
}

TEST_F(StoredFile, LinkLoopIsReportedAndNotReplaced) {
  fs::create_symlink("b", at("a"));
  fs::create_symlink("a", at("b"));
  sim::DefaultsStore store(trace);
  std::string report;
  store.attachFile(at("a"), &report);
  EXPECT_NE(report.find(at("a") + ":0: cannot use this defaults file ("), std::string::npos)
      << report;
  EXPECT_FALSE(store.save());
  EXPECT_TRUE(isLink(at("a")));
  EXPECT_TRUE(isLink(at("b")));
}

TEST_F(StoredFile, DamagedFileBehindALinkIsKeptAsideBesideItsTarget) {
  fs::create_directories(dir / "real");
  write(at("real/defaults"), "modKey int two\n");
  fs::create_symlink(at("real/defaults"), at("defaults"));
  sim::DefaultsStore store(trace);
  std::string report;
  store.attachFile(at("defaults"), &report);
  EXPECT_NE(report.find("kept as " + at("real/defaults") + ".damaged;"), std::string::npos)
      << report;
  EXPECT_EQ(read(at("real/defaults.damaged")), "modKey int two\n");
  store.set("modKey", std::int64_t{2});
  EXPECT_TRUE(store.synchronize());
  EXPECT_TRUE(isLink(at("defaults")));
  EXPECT_EQ(read(at("real/defaults")), "modKey int 2\n");
  EXPECT_EQ(read(at("real/defaults.damaged")), "modKey int two\n");
}

TEST_F(StoredFile, SaveThatFailsIsNeitherTracedNorCalledKept) {
  const std::string path = at("later/defaults");
  sim::DefaultsStore store(trace);
  std::string report;
  store.attachFile(path, &report);
  testing::internal::CaptureStderr();
  store.set("modKey", std::int64_t{2});
  EXPECT_FALSE(store.synchronize());
  EXPECT_FALSE(store.synchronize());
  EXPECT_EQ(traceText.str(), "0.000 defaults.write modKey int 2\n");
  EXPECT_FALSE(store.changesKept());
  EXPECT_FALSE(fs::exists(dir / "later"));

  // Once the folder is there, the next save keeps everything and says so.
  fs::create_directory(dir / "later");
  EXPECT_TRUE(store.synchronize());
  std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_EQ(errors, "vistrel-desktop: " + path +
                        ":0: cannot be saved (No such file or directory); changes are kept only "
                        "while the simulation runs\n"
                        "vistrel-desktop: " +
                        path + ":0: saved again; the changes are kept\n");
  EXPECT_TRUE(store.changesKept());
  EXPECT_EQ(read(path), "modKey int 2\n");

  // The login items: the change stays in memory; the end of the run tries again.
  sim::LoginItemsStore items(trace);
  items.attachFile(at("gone/items"), &report);
  testing::internal::CaptureStderr();
  items.insert(platform::LoginItemPosition::Last, "file:///Applications/A.app/");
  EXPECT_FALSE(items.changesKept());
  fs::create_directory(dir / "gone");
  items.saveIfBehind();
  testing::internal::GetCapturedStderr();
  EXPECT_TRUE(items.changesKept());
  EXPECT_EQ(read(at("gone/items")), "\"file:///Applications/A.app/\"\n");
}

TEST_F(StoredFile, ConcurrentSavesLeaveTheFileWhole) {
  const std::string path = at("defaults");
  std::string a, b;
  for (int i = 0; i < 300; ++i) {
    a += "a" + std::to_string(i) + " int 1\n";
    b += "b" + std::to_string(i) + " string \"" + std::string(40, 'b') + "\"\n";
  }
  ASSERT_EQ(sim::writeFileAtomically(path, a), std::nullopt);
  std::atomic<int> failures{0}, torn{0};
  std::atomic<bool> done{false};
  auto saver = [&](const std::string& text) {
    for (int i = 0; i < 40; ++i)
      if (sim::writeFileAtomically(path, text)) ++failures;
  };
  std::thread reader([&] {
    while (!done) {
      std::string seen = read(path);
      if (seen != a && seen != b) ++torn;
    }
  });
  std::thread first(saver, a), second(saver, b);
  first.join();
  second.join();
  done = true;
  reader.join();
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(torn, 0);
  EXPECT_EQ(names(), std::vector<std::string>{"defaults"});  // every temporary renamed
}

}  // namespace
