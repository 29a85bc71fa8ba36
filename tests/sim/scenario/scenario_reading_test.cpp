// Reading a scenario: the file is read a piece at a time, and a run that can
// play only its first timed lines keeps only those, still checking the
// rest line by line.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/scenario/scenario.h"

namespace {

namespace fs = std::filesystem;

std::string pointerLines(int count) {
  std::string text = "dock app \"Safari\" running\n";
  for (int i = 0; i < count; ++i)
    text += "at " + std::to_string(i) + ".5 pointer " + std::to_string(i % 900) + " 400\n";
  return text;
}

sim::Scenario parse(const std::string& text, sim::ScenarioReading reading = {}) {
  std::istringstream in(text);
  return sim::parseScenario(in, "test.scn", reading);
}

TEST(ScenarioReading, OnlyTheFirstTimedLinesAreKeptAndEveryLineIsChecked) {
  auto whole = parse(pointerLines(10));
  auto first = parse(pointerLines(10), {3});
  ASSERT_EQ(first.timed.size(), 3u);
  EXPECT_EQ(first.timedLeftOut, 7u);
  EXPECT_EQ(first.setup, whole.setup);
  EXPECT_TRUE(std::equal(first.timed.begin(), first.timed.end(), whole.timed.begin()));
  EXPECT_EQ(first.endTime(), whole.endTime());
  // A fault past the lines kept still names its line.
  for (std::string bad : {"at 20 pointer x 1\n", "at 1 click\n", "run 1\n"}) {
    try {
      parse(pointerLines(10) + bad, {3});
      ADD_FAILURE() << bad;
    } catch (const sim::ScenarioError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("test.scn:12: ", 0), 0u) << e.what();
    }
  }
}

class ScenarioFile : public testing::Test {
 protected:
  void SetUp() override {
    path = (fs::temp_directory_path() /
            ("vistrel-reading-" + std::to_string(::getpid()) + "-" +
             testing::UnitTest::GetInstance()->current_test_info()->name() + ".scn"))
               .string();
  }
  void TearDown() override { fs::remove(path); }
  std::string path;
};

// Lines cut by the reader's pieces (64 KiB) read as a whole file would.
TEST_F(ScenarioFile, ReadInPiecesItEqualsTheWholeText) {
  std::string text = pointerLines(9000) + "run 9001\n";
  ASSERT_GT(text.size(), 3u << 16);
  std::ofstream(path, std::ios::binary) << text;
  EXPECT_EQ(sim::loadScenario(path), parse(text));
  auto first = sim::loadScenario(path, {100});
  EXPECT_EQ(first.timed.size(), 100u);
  EXPECT_EQ(first.timedLeftOut, 8900u);

  std::ofstream(path, std::ios::binary | std::ios::app) << "at 9002 pointer 1\n";
  try {
    sim::loadScenario(path, {100});
    ADD_FAILURE();
  } catch (const sim::ScenarioError& e) {
    EXPECT_EQ(std::string(e.what()), path + ":9003: nothing may follow run");
  }
}

}  // namespace
