// Every count and size a scenario gives has a bound; beyond it the line that
// goes too far is named, and an overlong word is quoted only in part.
#include "sim/scenario/scenario_limits.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/scenario/command_words.h"
#include "sim/scenario/scenario.h"
#include "tests/sim/scenario/scenario_text.h"

namespace fs = std::filesystem;
namespace limits = sim::limits;

namespace {

using scenario_text::parseError;

std::string repeat(const std::string& line, std::size_t n) {
  std::string text;
  text.reserve(line.size() * n);
  for (std::size_t i = 0; i < n; ++i) text += line;
  return text;
}

std::string line(std::size_t n) { return "t.scn:" + std::to_string(n) + ": "; }

TEST(ScenarioLimits, OverlongTitlesStringsAndWordsAreRefusedWithAnExcerpt) {
  std::string title(limits::kMaxTitleBytes, 'A');
  EXPECT_EQ(parseError("dock app \"" + title + "\"\n"), "no error");
  std::string url = "https://" + std::string(limits::kMaxStringBytes, 'u');
  std::string id(limits::kMaxWordBytes + 1, 'x');
  std::string q40 = std::string(40, 'q') + "…";
  struct Case {
    std::string text;
    std::string error;  // the whole message, or how it begins
    bool whole = true;
  };
  const Case cases[] = {
      {"dock app \"" + title + "B\"\n",
       line(1) + "dock: a title is at most 256 bytes: \"" + std::string(40, 'A') + "…\""},
      {"at 1 menu \"" + title + "B\"\n", line(1) + "menu: a title is", false},
      {"app \"" + title + "B\"\n", line(1) + "app: a title is", false},
      {"login-item \"" + url + "\"\n",
       line(1) + "login-item: a string is at most 2048 bytes: \"https://" + std::string(32, 'u') +
           "…\""},
      {"at 1 defaults feed string \"" + url + "\"\n",
       line(1) + "defaults: a string is at most 2048 bytes", false},
      {"app \"Mail\" bundle " + id + "\n",
       line(1) + "app: a word is at most 256 bytes: " + std::string(40, 'x') + "…"},
      // Any word an error quotes is cut short.
      {"at 1 pointer " + std::string(300, '9') + "z 3\n",
       line(1) + "pointer: not a number: " + std::string(40, '9') + "…"},
      {std::string(300, 'q') + "\n", line(1) + q40 + ": a word is at most 256 bytes: " + q40},
  };
  for (const auto& c : cases) {
    std::string error = parseError(c.text);
    if (c.whole)
      EXPECT_EQ(error, c.error);
    else
      EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
  }
}

TEST(ScenarioLimits, ExcerptCutsBetweenCharacters) {
  // 39 bytes, then a 4-byte character across the 40-byte mark.
  std::string word = std::string(39, 'a') + "🗂" + std::string(10, 'b');
  EXPECT_EQ(sim::words::excerpt(word), std::string(39, 'a') + "…");
  EXPECT_EQ(sim::words::excerpt("short"), "short");
}

TEST(ScenarioLimits, OverlongLineIsRefused) {
  std::string comment = "#" + std::string(limits::kMaxLineBytes - 1, 'c');
  EXPECT_EQ(parseError(comment + "\n" + comment + "\r\n"), "no error");
  EXPECT_EQ(parseError("run 1\n" + comment + "c\n"), line(2) + "a line is at most 4096 bytes");
  // Without a line end at all, the line is not read to its end.
  EXPECT_EQ(parseError(std::string(1 << 20, ' ')), line(1) + "a line is at most 4096 bytes");
}

TEST(ScenarioLimits, TooManyLinesAreRefused) {
  std::string lines(limits::kMaxLines, '\n');
  EXPECT_EQ(parseError(lines), "no error");
  EXPECT_EQ(parseError(lines + "\n"), line(limits::kMaxLines + 1) + "a scenario has at most " +
                                          std::to_string(limits::kMaxLines) + " lines");
}

TEST(ScenarioLimits, LargerFileIsRefusedBeforeItIsRead) {
  fs::path p = fs::temp_directory_path() / ("vistrel-large-" + std::to_string(::getpid()));
  std::ofstream(p) << "run 1\n";
  fs::resize_file(p, limits::kMaxScenarioBytes + 1);  // sparse: no disk is used
  try {
    sim::loadScenario(p.string());
    ADD_FAILURE() << "a file above the limit was read";
  } catch (const sim::ScenarioError& e) {
    EXPECT_EQ(std::string(e.what()), p.string() + ": is larger than a scenario may be (64 MiB)");
  }
  fs::remove(p);
}

TEST(ScenarioLimits, ScenarioTimesEndAfterAWeek) {
  EXPECT_EQ(parseError("at 604800 click\nrun 604800\n"), "no error");
  EXPECT_EQ(parseError("at 604800.001 click\n"),
            line(1) + "at: a scenario lasts at most 604800 s (7 days)");
  EXPECT_EQ(parseError("run 1e9\n"), line(1) + "run: a scenario lasts at most 604800 s (7 days)");
}

TEST(ScenarioLimits, WorldCountsAreBounded) {
  std::string folders = repeat("dock folder \"F\"\n", limits::kMaxDockItems);
  EXPECT_EQ(parseError(folders), "no error");
  EXPECT_EQ(parseError(folders + "dock trash none\n"),
            line(limits::kMaxDockItems + 1) + "dock: at most 1000 Dock items");

  std::string apps = repeat("app \"A\"\n", 20) + repeat("dock app \"B\"\n", 20) +
                     repeat("dock app none running\n", 10);
  EXPECT_EQ(parseError(apps), "no error");
  EXPECT_EQ(parseError(apps + "dock folder \"F\"\ndock app \"C\" running\n"),
            line(52) + "dock: at most 50 applications");
  EXPECT_EQ(parseError(apps + "app \"D\"\n"), line(51) + "app: at most 50 applications");

  std::string screens = repeat("screen 0 0 100 100\n", limits::kMaxScreens);
  EXPECT_EQ(parseError(screens), "no error");
  EXPECT_EQ(parseError(screens + "screen 0 0 1 1\n"), line(33) + "screen: at most 32 screens");
  std::string frames = "at 1 screens 0 0 10 10";
  for (std::size_t i = 1; i < limits::kMaxScreens; ++i) frames += " ; 0 0 10 10";
  EXPECT_EQ(parseError(frames + "\n"), "no error");
  EXPECT_EQ(parseError(frames + ";1 1 1 1\n"), line(1) + "screens: at most 32 screens");
  EXPECT_EQ(parseError("screen 0 0 10000001 900\n"),
            line(1) + "screen: coordinates and sizes are at most 10000000");
  EXPECT_EQ(parseError("screen -1e7 1e7 1e7 1e7\n"), "no error");

  std::string children = repeat("dock child none\n", limits::kMaxDockChildren);
  EXPECT_EQ(parseError(children), "no error");
  EXPECT_EQ(parseError(children + "dock child \"x\"\n"),
            line(17) + "dock: at most 16 further Dock children");

  std::string logins = repeat("login-item \"file:///A.app/\"\n", limits::kMaxLoginItems);
  EXPECT_EQ(parseError(logins), "no error");
  EXPECT_EQ(parseError(logins + "login-item \"file:///B.app/\"\n"),
            line(1001) + "login-item: at most 1000 login items");
}

TEST(ScenarioLimits, LongestCommandsPrintBackWithinTheLineLimit) {
  // Numbers as long as a double's shortest text gets, in as many frames as
  // a line may hold; a title all of backslashes kept as written, which
  // print back escaped.
  const std::string x = "-1.2345678901234567e-300", w = "1.2345678901234567e-300";
  std::string frames = "at 604799.99999999988 screens";
  for (std::size_t i = 0; i < limits::kMaxScreens; ++i)
    frames += (i ? " ; " : " ") + x + " " + x + " " + w + " " + w;
  std::string title;
  for (std::size_t i = 0; i < limits::kMaxTitleBytes / 2; ++i) title += "\\a";
  std::string text = "dock app \"" + title + "\" running bundle " +
                     std::string(limits::kMaxWordBytes, 'b') + "\n" + frames + "\n" +
                     "at 604800 pointer dock \"" + title + "\" " + x + " " + x + "\n";
  std::istringstream in(text);
  auto s = sim::parseScenario(in, "t.scn");
  std::string printed = sim::scenarioText(s);
  std::istringstream lines(printed);
  for (std::string line; std::getline(lines, line);)
    EXPECT_LE(line.size(), limits::kMaxLineBytes) << line.substr(0, 60);
  std::istringstream again(printed);
  EXPECT_EQ(sim::parseScenario(again, "printed.scn"), s);
}

}  // namespace
