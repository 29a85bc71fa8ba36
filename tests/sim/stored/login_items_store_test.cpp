// The world's login-items list: order, no duplicates, the trace, and the
// file it is kept in across runs.
#include "sim/stored/login_items_store.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/world/run_queue.h"
#include "sim/world/trace.h"

namespace fs = std::filesystem;
using platform::LoginItemPosition;

namespace {

class LoginItemsStoreTest : public testing::Test {
 protected:
  std::ostringstream out;
  sim::RunQueue clock;
  sim::Trace trace{out, clock};
  sim::LoginItemsStore store{trace};
};

TEST_F(LoginItemsStoreTest, InsertsFirstOrLastAndMovesRatherThanDuplicates) {
  store.preset("file:///Applications/A.app/");
  store.insert(LoginItemPosition::BeforeFirst, "file:///Applications/B.app/");
  store.insert(LoginItemPosition::Last, "file:///Applications/C.app/");
  store.insert(LoginItemPosition::BeforeFirst, "file:///Applications/C.app/");
  EXPECT_EQ(store.urls(),
            (std::vector<std::string>{"file:///Applications/C.app/", "file:///Applications/B.app/",
                                      "file:///Applications/A.app/"}));
  EXPECT_EQ(out.str(),
            "0.000 loginitems.insert \"file:///Applications/B.app/\" first\n"
            "0.000 loginitems.insert \"file:///Applications/C.app/\" last\n"
            "0.000 loginitems.insert \"file:///Applications/C.app/\" first\n");
}

TEST_F(LoginItemsStoreTest, RemovesOnlyWhatIsThereAndAnnouncesEachChange) {
  int changes = 0;
  store.onChange = [&] { ++changes; };
  auto id = store.insert(LoginItemPosition::BeforeFirst, "file:///Applications/A.app/");
  EXPECT_TRUE(store.remove(id));
  EXPECT_FALSE(store.remove(id));
  EXPECT_FALSE(store.removeURL("file:///Applications/A.app/"));
  EXPECT_EQ(changes, 2);
  EXPECT_TRUE(store.entries().empty());
}

TEST(LoginItemsVolumes, OnlyItemsUnderVolumesNeedMounting) {
  EXPECT_TRUE(sim::isOnUnmountedVolume("file:///Volumes/Backup/Vistrel.app/"));
  EXPECT_FALSE(sim::isOnUnmountedVolume("file:///Applications/Vistrel.app/"));
  EXPECT_FALSE(sim::isOnUnmountedVolume("file:///Users/me/Volumes/Vistrel.app/"));
}

class LoginItemsFileTest : public LoginItemsStoreTest {
 protected:
  void SetUp() override {
    dir =
        fs::temp_directory_path() / ("vistrel-login-items-" + std::to_string(::getpid()) + "-" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    path = (dir / "login-items").string();
  }
  void TearDown() override { fs::remove_all(dir); }
  static std::string read(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  fs::path dir;
  std::string path;
};

TEST_F(LoginItemsFileTest, LoadsAndSavesEveryChange) {
  std::ofstream(path) << "\"file:///Applications/A.app/\"\n\n\"file:///Applications/B%20C.app/\"\n";
  std::string report;
  store.attachFile(path, &report);
  EXPECT_EQ(report, "");
  EXPECT_EQ(store.urls(), (std::vector<std::string>{"file:///Applications/A.app/",
                                                    "file:///Applications/B%20C.app/"}));
  store.insert(LoginItemPosition::BeforeFirst, "file:///Applications/\"Q\".app/");
  EXPECT_EQ(read(path),
            "\"file:///Applications/\\\"Q\\\".app/\"\n\"file:///Applications/A.app/\"\n"
            "\"file:///Applications/B%20C.app/\"\n");
  EXPECT_FALSE(fs::exists(path + ".tmp"));

  sim::LoginItemsStore again(trace);
  again.attachFile(path, &report);
  EXPECT_EQ(again.urls(), store.urls());
}

TEST_F(LoginItemsFileTest, MissingFileStartsEmptyAndIsCreatedOnFirstChange) {
  std::string report;
  store.attachFile(path, &report);
  EXPECT_TRUE(store.entries().empty());
  EXPECT_FALSE(fs::exists(path));
  store.insert(LoginItemPosition::BeforeFirst, "file:///Applications/A.app/");
  EXPECT_EQ(read(path), "\"file:///Applications/A.app/\"\n");
}

TEST_F(LoginItemsFileTest, DamagedFileIsReportedAndKeptAside) {
  const std::string damaged = "\"file:///Applications/A.app/\"\nfile:///bare\n";
  std::ofstream(path) << damaged;
  store.preset("file:///Applications/Z.app/");
  std::string report;
  store.attachFile(path, &report);
  EXPECT_EQ(report, path + ":2: damaged login-items file (expected one \"URL\" a line); kept as " +
                        path + ".damaged; starting with no login items");
  EXPECT_TRUE(store.entries().empty());
  EXPECT_EQ(read(path + ".damaged"), damaged);
  EXPECT_FALSE(fs::exists(path));

  // A second damaged file does not replace the first one kept aside.
  std::ofstream(path) << "\"unterminated\n";
  sim::LoginItemsStore other(trace);
  other.attachFile(path, &report);
  EXPECT_NE(report.find(path + ":1: damaged login-items file"), std::string::npos);
  EXPECT_EQ(read(path + ".damaged"), damaged);
  EXPECT_EQ(read(path + ".damaged.1"), "\"unterminated\n");
}

}  // namespace

namespace {

// Items taken from the file are one list with those added later: each keeps
// its id when moved, and each can be removed by its URL.
TEST_F(LoginItemsFileTest, LoadedItemsMoveAndLeaveLikeAnyOther) {
  std::ofstream(path) << "\"file:///A.app/\"\n\"file:///B.app/\"\n\"file:///C.app/\"\n";
  std::string report;
  store.attachFile(path, &report);
  ASSERT_EQ(store.entries().size(), 3u);
  auto idOfB = store.entries()[1].id;
  EXPECT_EQ(store.insert(LoginItemPosition::BeforeFirst, "file:///B.app/"), idOfB);
  auto idOfD = store.insert(LoginItemPosition::Last, "file:///D.app/");
  EXPECT_NE(idOfD, 0u);
  for (const auto& e : store.entries()) {
    if (e.url != "file:///D.app/") {
      EXPECT_NE(e.id, idOfD);
    }
  }
  EXPECT_TRUE(store.removeURL("file:///C.app/"));
  EXPECT_FALSE(store.removeURL("file:///C.app/"));
  EXPECT_TRUE(store.contains(idOfB));
  EXPECT_EQ(store.urls(),
            (std::vector<std::string>{"file:///B.app/", "file:///A.app/", "file:///D.app/"}));
  EXPECT_EQ(read(path), "\"file:///B.app/\"\n\"file:///A.app/\"\n\"file:///D.app/\"\n");
}

}  // namespace
