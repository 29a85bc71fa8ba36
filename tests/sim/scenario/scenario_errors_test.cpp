// Malformed scenarios stop before anything runs, with FILE:LINE: message.
// Each file in tests/scenarios/malformed says in its first line which error
// it must give ("# error: LINE: message"); the parser and the
// vistrel-desktop program (exit status 2, nothing on standard output) must
// both give exactly that.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/scenario/scenario.h"
#include "tests/sim/scenario/scenario_text.h"

namespace fs = std::filesystem;

namespace {

using scenario_text::parseError;

const fs::path kMalformedDir = fs::path(VISTREL_SOURCE_DIR) / "tests/scenarios/malformed";

std::string readFile(const fs::path& p) {
  std::ifstream in(p);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// "LINE: message" from the file's "# error: " first line.
std::string expectedError(const fs::path& scn) {
  std::ifstream in(scn);
  std::string first;
  std::getline(in, first);
  const std::string tag = "# error: ";
  return first.rfind(tag, 0) == 0 ? first.substr(tag.size()) : "(no # error: line)";
}

// vistrel-desktop is built beside the tests directory.
fs::path desktopProgram() {
  char self[PATH_MAX] = {};
  ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return {};
  return fs::path(self).parent_path().parent_path() / "vistrel-desktop";
}

// Each scenario text is refused with a message that starts so.
template <std::size_t N>
void expectErrors(const std::pair<const char*, const char*> (&cases)[N]) {
  for (auto [text, prefix] : cases) {
    std::string error = parseError(text);
    EXPECT_EQ(error.rfind(prefix, 0), 0u) << "scenario:\n" << text << "gave: " << error;
  }
}

TEST(ScenarioErrors, EachMistakeNamesItsLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"# comment\n\nfly away\n", "t.scn:3: fly: expected one of"},
      {"at 1 jump\n", "t.scn:1: jump: expected one of"},
      {"screen 0 0 wide 900\n", "t.scn:1: screen: not a number: wide"},
      {"at 1.5x click\n", "t.scn:1: at: not a number: 1.5x"},
      {"at 2 click\nat 1.9 click\n", "t.scn:2: at: times never decrease"},
      {"at 2 click\nrun 1\n", "t.scn:2: run 1 is before the last command"},
      {"at 1 click\ndock app \"Mail\"\n", "t.scn:2: set-up command after the first at: dock"},
      {"dock app \"Mail\n", "t.scn:1: unterminated string"},
      {"at 1 pointer dock \"Mail\"\n", "t.scn:1: pointer: no Dock item is titled \"Mail\""},
      {"at 1 pointer dock 0\n", "t.scn:1: pointer: no Dock item number 0 (the Dock has 6)"},
      {"at 1 pointer dock 7\n", "t.scn:1: pointer: no Dock item number 7 (the Dock has 6)"},
      {"at 1 pointer dock 1.5\n", "t.scn:1: pointer: no Dock item number 1.5"},
      {"defaults delay double 0.1\n", "t.scn:1: defaults: unknown type double"},
      {"at 1 defaults modKey int two\n", "t.scn:1: defaults: "},
      {"at 1 modifiers hyper\n", "t.scn:1: modifiers: expected one of"},
      {"app nap 0.99\n", "t.scn:1: app: App Nap stretches the timers 1 to 100 times"},
      {"app nap 100.5\n", "t.scn:1: app: App Nap stretches the timers 1 to 100 times"},
      {"app nap\n", "t.scn:1: app: expected 2 argument(s), got 1"},
      {"trusted maybe\n", "t.scn:1: trusted: expected one of yes, no, stale, got maybe"},
      {"no updater now\n", "t.scn:1: no: expected 1 argument(s), got 2"},
      {"at 1 revoke later\n", "t.scn:1: revoke: expected one of stale, listed, got later"},
      {"dock app \"Mail\" no-expose running\n", "t.scn:1: dock: expected bundle ID at the end"},
      {"run 3\nat 4 click\n", "t.scn:2: nothing may follow run"},
      {"at 604801 click\n", "t.scn:1: at: a scenario lasts at most 604800 s (7 days)"},
      {"run 2e9\n", "t.scn:1: run: a scenario lasts at most 604800 s (7 days)"},
      {"dock child number 1e300\n", "t.scn:1: dock: the number must be a whole number"},
      {"dock child number 2.5\n", "t.scn:1: dock: the number must be a whole number"},
  };
  expectErrors(cases);
}

TEST(ScenarioErrors, TheHardCasesRefuseWhatCannotBe) {
  const std::pair<const char*, const char*> cases[] = {
      {"dock slow 0\n", "t.scn:1: dock: the duration must be more than 0 and at most 60 s, got 0"},
      {"at 1 dock slow 60.5\n", "t.scn:1: dock: the duration must be more than 0 and at most 60"},
      {"at 1 dock slow -1\n", "t.scn:1: dock: the duration must be more than 0"},
      {"at 1 tracking 0\n", "t.scn:1: tracking: the duration must be more than 0 and at most 3600"},
      {"at 1 tracking 3600.001\n", "t.scn:1: tracking: the duration must be more than 0"},
      {"at 1 sleep 604801\n",
       "t.scn:1: sleep: the duration must be more than 0 and at most 604800"},
      {"at 1 sleep nan\n", "t.scn:1: nan is not a finite number"},
      {"at 1 sleep\n", "t.scn:1: sleep: expected 1 argument(s), got 0"},
      // Nothing reaches a sleeping Mac, the line after the sleep's start included.
      {"at 1 sleep 5\nat 5.999 click\n",
       "t.scn:2: at: the Mac sleeps from 1 until 6 (line 1); no input may come meanwhile"},
      {"at 1 sleep 5\nat 1 click\n", "t.scn:2: at: the Mac sleeps from 1 until 6 (line 1)"},
      {"at 1 tracking 2\nat 2 tracking 1\n", "t.scn:2: tracking: a menu is held until 3 (line 1)"},
      {"at 1 window \"Mail\" 0 0 10 10\n", "t.scn:1: window: no application is named \"Mail\""},
      {"at 1 app \"Mail\" hung\n", "t.scn:1: app: no application is named \"Mail\""},
      {"at 1 app Safari hung\n", "t.scn:1: app: expected an application's name in double quotes"},
      {"at 1 app dock asleep\n", "t.scn:1: app: expected one of hung, responsive, got asleep"},
      {"window \"Notes\" 0 0 10 10\n",
       "t.scn:1: window: no application named \"Notes\" runs at launch"},
      {"app \"Mail\" hung\ndock app \"Safari\" running\n",
       "t.scn:1: app: no application named \"Mail\" runs at launch"},
      {"no dock\napp dock hung\n", "t.scn:2: app: the Dock does not run (no dock)"},
      {"window \"Safari\" close\n", "t.scn:1: window: close is a timed command (after at)"},
      {"at 1 window \"Safari\" 0 0 0 10\n", "t.scn:1: window: width and height must be positive"},
      {"at 1 window \"Safari\" close now\n", "t.scn:1: window: expected 2 argument(s), got 3"},
      {"trusted no listing\n", "t.scn:1: trusted: expected one of listed, got listing"},
      {"bundle at \"Vistrel.app\"\n", "t.scn:1: bundle: the path must be absolute and end in .app"},
      {"bundle at \"/Applications/Vistrel\"\n", "t.scn:1: bundle: the path must be absolute"},
      {"bundle elsewhere\n", "t.scn:1: bundle: expected 2 argument(s), got 1"},
      {"bundle translocated now\n", "t.scn:1: bundle: expected 1 argument(s), got 2"},
  };
  expectErrors(cases);
}

TEST(ScenarioErrors, GoodScenarioParses) {
  EXPECT_EQ(parseError("# fine\ndock app \"Mail\" running\nat 1 pointer dock 1 3 -2\nrun 2\n"),
            "no error");
}

TEST(ScenarioErrors, MalformedFilesGiveTheirErrorAndStatusTwo) {
  fs::path program = desktopProgram();
  ASSERT_TRUE(fs::exists(program)) << program;
  fs::path out = fs::temp_directory_path() / ("vistrel-errors-" + std::to_string(::getpid()));
  int files = 0;
  for (const auto& entry : fs::directory_iterator(kMalformedDir)) {
    if (entry.path().extension() != ".scn") continue;
    ++files;
    const std::string scn = entry.path().string();
    const std::string expected = scn + ":" + expectedError(entry.path());
    try {
      sim::loadScenario(scn);
      ADD_FAILURE() << scn << " parsed without error";
    } catch (const sim::ScenarioError& e) {
      EXPECT_EQ(e.what(), expected);
    }
    // Streamed rather than joined with +: GCC 12's -Wrestrict misreads the
    // inlined concatenation of "'" and a path in a Release build.
    std::ostringstream command;
    command << '\'' << program.string() << "' '" << scn << "' >'" << out.string() << ".out' 2>'"
            << out.string() << ".err'";
    int status = std::system(command.str().c_str());
    ASSERT_TRUE(WIFEXITED(status)) << scn;
    EXPECT_EQ(WEXITSTATUS(status), 2) << scn;
    EXPECT_EQ(readFile(out.string() + ".out"), "") << scn;
    EXPECT_EQ(readFile(out.string() + ".err"), expected + "\n") << scn;
  }
  fs::remove(out.string() + ".out");
  fs::remove(out.string() + ".err");
  EXPECT_GE(files, 8);
}

}  // namespace
