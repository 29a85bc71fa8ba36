// A save rewrites the file from what was loaded: every line it will not
// keep as written (a comment, a key or URL given again) is reported when
// the file is loaded, with its line and what becomes of it.
#include "sim/stored/defaults_store.h"
#include "sim/stored/login_items_store.h"
#include "sim/world/run_queue.h"
#include "sim/world/trace.h"
#include "tests/stored_files_folder.h"

namespace {

using stored_files_test::TempFolder;

class StoredNotes : public TempFolder {
 protected:
  std::ostringstream traceText;
  sim::RunQueue clock;
  sim::Trace trace{traceText, clock};
};

TEST_F(StoredNotes, CommentsAndRepeatedKeysAreReportedWithWhatBecomesOfThem) {
  const std::string path = at("defaults");
  write(path,
        "# my settings\n"
        "modKey int 1\n"
        "delay float 0.5   # slower\n"
        "modKey int 2\n"
        "\n"
        "modKey int 3 # last word\n");
  sim::DefaultsStore store(trace);
  std::string report;
  store.attachFile(path, &report);
  EXPECT_EQ(report, path + ":1: comment is not kept when the file is saved\n" + path +
                        ":3: comment is not kept when the file is saved\n" + path +
                        ":4: modKey given again: this value replaces line 2\n" + path +
                        ":6: modKey given again: this value replaces line 4; its comment is not "
                        "kept either");
  EXPECT_EQ(store.get("modKey"), platform::PrefValue(std::int64_t{3}));
  EXPECT_EQ(store.get("delay"), platform::PrefValue(0.5));
  EXPECT_TRUE(store.save());
  EXPECT_EQ(read(path), "delay float 0.5\nmodKey int 3\n");
}

TEST_F(StoredNotes, RepeatedURLIsReportedAsKeptOnceInItsFirstPlace) {
  const std::string path = at("items");
  write(path,
        "\"file:///Applications/A.app/\"\n"
        "\"file:///Applications/B.app/\"\n"
        "\"file:///Applications/A.app/\"\n");
  sim::LoginItemsStore store(trace);
  std::string report;
  store.attachFile(path, &report);
  EXPECT_EQ(report, path +
                        ":3: \"file:///Applications/A.app/\" given again: the list holds it once, "
                        "where line 1 puts it; this line is dropped when the file is saved");
  EXPECT_EQ(store.urls(), (std::vector<std::string>{"file:///Applications/A.app/",
                                                    "file:///Applications/B.app/"}));
}

TEST_F(StoredNotes, ManyNotesAreCountedNotListed) {
  const std::string path = at("defaults");
  std::string text;
  for (int i = 0; i < 500; ++i) text += "# note " + std::to_string(i) + "\n";
  write(path, text);
  sim::DefaultsStore store(trace);
  std::string report;
  store.attachFile(path, &report);
  EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 20) << report;
  EXPECT_NE(report.find(path + ":20: comment is not kept"), std::string::npos);
  EXPECT_NE(report.find(path + ":500: and 480 more lines that are not kept as written"),
            std::string::npos)
      << report;
}

TEST_F(StoredNotes, DamagedFileGivesOnlyTheDamage) {
  const std::string path = at("defaults");
  write(path, "# mine\nmodKey int 1\nmodKey int x\n");
  sim::DefaultsStore store(trace);
  std::string report;
  store.attachFile(path, &report);
  EXPECT_EQ(report, path + ":3: damaged defaults file (not an integer: x); kept as " + path +
                        ".damaged; starting with empty defaults");
}

}  // namespace
