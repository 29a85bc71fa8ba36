// Scenario input means exactly what it says: control characters are errors
// at their line, a number is the whole word and finite, and a scenario path
// that is no readable regular file is refused before anything is read.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/scenario/scenario.h"
#include "sim/words/tokens.h"
#include "tests/sim/scenario/scenario_text.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

using scenario_text::parse;
using scenario_text::parseError;

// A fresh folder for one test's files, removed afterwards.
class TempDir {
 public:
  TempDir() {
    path_ = fs::temp_directory_path() /
            ("vistrel-input-" + std::to_string(::getpid()) + "-" + std::to_string(next_++));
    fs::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
  }
  fs::path file(const std::string& name, const std::string& content) const {
    fs::path p = path_ / name;
    std::ofstream(p, std::ios::binary) << content;
    return p;
  }
  const fs::path& path() const { return path_; }

 private:
  static inline int next_ = 0;
  fs::path path_;
};

std::string loadError(const fs::path& p) {
  try {
    sim::loadScenario(p.string());
  } catch (const sim::ScenarioError& e) {
    return e.what();
  }
  return "no error";
}

std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// vistrel-desktop is built beside the tests directory.
fs::path desktopProgram() {
  char self[PATH_MAX] = {};
  ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return {};
  return fs::path(self).parent_path().parent_path() / "vistrel-desktop";
}

struct ProgramRun {
  int status = -1;
  std::string out, err;
};

ProgramRun runDesktop(const TempDir& dir, const std::string& args) {
  fs::path out = dir.path() / "stdout", err = dir.path() / "stderr";
  std::string command = "'" + desktopProgram().string() + "' " + args + " >'" + out.string() +
                        "' 2>'" + err.string() + "' </dev/null";
  int status = std::system(command.c_str());
  ProgramRun r;
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = readFile(out);
  r.err = readFile(err);
  fs::remove(out);
  fs::remove(err);
  return r;
}

TEST(ScenarioInput, NulByteIsAnErrorAtItsLine) {
  EXPECT_EQ(parseError("at 1 click\nat 2 pointer 100\0junk 5\n"s),
            "t.scn:2: a control character (0x00) at column 17");
  // Read from a file, the byte is seen too: the file is read in binary.
  TempDir dir;
  fs::path p = dir.file("nul.scn", "# fine\ndock app \"Ma\0il\"\n"s);
  EXPECT_EQ(loadError(p), p.string() + ":2: a control character (0x00) at column 13");
}

TEST(ScenarioInput, ControlCharactersButTabAreErrorsAnywhereInTheLine) {
  const std::pair<std::string, std::string> cases[] = {
      {"at 1 click\x01\n", "t.scn:1: a control character (0x01) at column 11"},
      {"at 1 menu \"A\x1b[31m\"\n", "t.scn:1: a control character (0x1B) at column 13"},
      {"at 1 click \x7f\n", "t.scn:1: a control character (0x7F) at column 12"},
      {"at 1 cl\rick\n", "t.scn:1: a control character (0x0D) at column 8"},
      {"at 1 click\r\r\n", "t.scn:1: a control character (0x0D) at column 11"},
      {"# a comment \x0b too\n", "t.scn:1: a control character (0x0B) at column 13"},
      {"at 1 menu \"Next\xc2\x85Line\"\n", "t.scn:1: a control character (U+0085) at column 16"},
      {"at 1 click\x0c\n", "t.scn:1: a control character (0x0C) at column 11"},
  };
  for (const auto& [text, error] : cases) EXPECT_EQ(parseError(text), error) << text;
}

TEST(ScenarioInput, TabAndCrlfLineEndsAreAccepted) {
  auto s = parse("dock app\t\"Mail\"\trunning\r\nat 1\tmenu \"A\tB\"\r\nrun 2\r\n");
  ASSERT_EQ(s.setup.size(), 1u);
  EXPECT_EQ(std::get<sim::AddDockItem>(s.setup[0].action).title, "Mail");
  ASSERT_EQ(s.timed.size(), 1u);
  EXPECT_EQ(std::get<sim::Menu>(s.timed[0].action).title, "A\tB");
  EXPECT_EQ(s.runUntil, 2.0);
  // Other bytes above 0x7F (UTF-8 text) are titles like any other.
  auto u = parse("at 1 menu \"🗂️ More Apps...\"\n");
  EXPECT_EQ(std::get<sim::Menu>(u.timed[0].action).title, "🗂️ More Apps...");
}

TEST(ScenarioInput, NumberIsTheWholeWord) {
  EXPECT_FALSE(sim::parseFiniteNumber("100\0junk"s));
  EXPECT_FALSE(sim::parseFiniteNumber("100 "));
  EXPECT_FALSE(sim::parseFiniteNumber(" 100"));
  EXPECT_FALSE(sim::parseFiniteNumber("\v100"));
  EXPECT_FALSE(sim::parseFiniteNumber(""));
  EXPECT_EQ(sim::parseFiniteNumber("100"), 100.0);
  EXPECT_EQ(parseError("at 1 pointer 100x 5\n"), "t.scn:1: pointer: not a number: 100x");
  EXPECT_EQ(parseError("at 1 pointer 100 5.5.5\n"), "t.scn:1: pointer: not a number: 5.5.5");
  EXPECT_EQ(parseError("at 1 defaults modKey int 2x\n"), "t.scn:1: defaults: not an integer: 2x");
  platform::PrefValue v;
  EXPECT_TRUE(sim::parsePrefValue("int", {"12\0x"s, false}, &v));
  EXPECT_TRUE(sim::parsePrefValue("float", {"0.5\0x"s, false}, &v));
}

TEST(ScenarioInput, EveryFiniteNumberIsAccepted) {
  auto s = parse(
      "screen 0 0 1440 900\n"
      "defaults delay float 4.9406564584124654e-324\n"  // the least subnormal
      "defaults tiny float 1e-310\n"
      "at 1e-320 pointer 1.7976931348623157e308 -2.2250738585072014e-308\n"
      "at 2 pointer dock 1 0x1p-1074 -0\n"
      "run 3\n");
  auto delay = std::get<sim::DefaultsSet>(s.setup[1].action).value;
  EXPECT_EQ(std::get<double>(delay), std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(std::get<double>(std::get<sim::DefaultsSet>(s.setup[2].action).value), 1e-310);
  EXPECT_EQ(s.timed[0].time, 1e-320);
  auto p = std::get<sim::PointerTo>(s.timed[0].action);
  EXPECT_EQ(p.x, std::numeric_limits<double>::max());
  EXPECT_EQ(p.y, -std::numeric_limits<double>::min());
  EXPECT_EQ(std::get<sim::PointerToDock>(s.timed[1].action).dx,
            std::numeric_limits<double>::denorm_min());
  // Stored as a double; the agent reads single precision, where this much
  // is 0 and a huge value an infinity, and either is a number it handles.
  EXPECT_EQ(static_cast<float>(std::get<double>(delay)), 0.0f);
}

TEST(ScenarioInput, NonFiniteNumbersAreRefused) {
  const std::pair<const char*, const char*> cases[] = {
      {"defaults delay float nan\n", "t.scn:1: nan is not a finite number"},
      {"at 1 defaults delay float -inf\n", "t.scn:1: -inf is not a finite number"},
      {"at 1 pointer infinity 3\n", "t.scn:1: infinity is not a finite number"},
      {"at 1 pointer 3 NAN(0x1)\n", "t.scn:1: NAN(0x1) is not a finite number"},
      {"at 1 pointer dock 1 1e999 0\n", "t.scn:1: 1e999 is not a finite number"},
      {"screen 0 0 1e309 900\n", "t.scn:1: 1e309 is not a finite number"},
      {"at 1 screens 0 0 100 100 ; 0 0 nan 100\n", "t.scn:1: nan is not a finite number"},
      {"at nan click\n", "t.scn:1: nan is not a finite number"},
      {"run inf\n", "t.scn:1: inf is not a finite number"},
      {"dock child number inf\n", "t.scn:1: inf is not a finite number"},
  };
  for (auto [text, error] : cases) EXPECT_EQ(parseError(text), error) << text;
}

TEST(ScenarioInput, PathThatIsNoReadableFileIsRefusedSayingWhy) {
  TempDir dir;
  fs::path fifo = dir.path() / "input.scn";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::pair<fs::path, const char*> cases[] = {
      {dir.path(), ": is a directory, not a scenario file"},
      // Opening a FIFO for reading would block until someone writes: the
      // test would hang here if the loader opened it.
      {fifo, ": is not a regular file (a FIFO, socket or device)"},
      {"/dev/null", ": is not a regular file (a FIFO, socket or device)"},
      {dir.path() / "missing.scn", ": cannot open the scenario (No such file or directory)"},
      // A regular file whose reading fails: /proc/self/mem has nothing
      // mapped at its start, for any user.
      {"/proc/self/mem", ": cannot be read (Input/output error)"},
  };
  for (const auto& [path, why] : cases) EXPECT_EQ(loadError(path), path.string() + why);
}

TEST(ScenarioInput, UnreadableFileIsRefused) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads a file without permissions";
  TempDir dir;
  fs::path locked = dir.file("locked.scn", "run 1\n");
  fs::permissions(locked, fs::perms::none);
  EXPECT_EQ(loadError(locked), locked.string() + ": cannot open the scenario (Permission denied)");
}

TEST(ScenarioInput, RefusedPathStopsTheProgramBeforeAnythingIsWritten) {
  TempDir dir;
  ASSERT_TRUE(fs::exists(desktopProgram())) << desktopProgram();
  fs::path fifo = dir.path() / "fifo.scn";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::path defaults = dir.path() / "defaults.txt";
  fs::path loginItems = dir.path() / "login-items.txt";
  for (const fs::path& scenario : {dir.path(), fifo, dir.path() / "missing.scn"}) {
    ProgramRun r = runDesktop(dir, "--defaults '" + defaults.string() + "' --login-items '" +
                                       loginItems.string() + "' '" + scenario.string() + "'");
    EXPECT_EQ(r.status, 2) << scenario;
    EXPECT_EQ(r.out, "") << scenario;
    EXPECT_EQ(r.err.rfind(scenario.string() + ": ", 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_FALSE(fs::exists(defaults));
    EXPECT_FALSE(fs::exists(loginItems));
  }
}

TEST(DesktopCommandLine, HelpPrintsTheUsageOnStandardOutput) {
  TempDir dir;
  ProgramRun help = runDesktop(dir, "--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: vistrel-desktop [--defaults FILE]", 0), 0u) << help.out;
  EXPECT_EQ(help.err, "");
  ProgramRun wrong = runDesktop(dir, "--frobnicate");
  EXPECT_EQ(wrong.status, 2);
  EXPECT_EQ(wrong.out, "");
  EXPECT_EQ(wrong.err, help.out);
  ProgramRun none = runDesktop(dir, "");
  EXPECT_EQ(none.status, 2);
  EXPECT_EQ(none.err, help.out);
}

TEST(DesktopCommandLine, VersionComesFromTheBundleInformation) {
  TempDir dir;
  ProgramRun shipped = runDesktop(dir, "--version");
  EXPECT_EQ(shipped.status, 0);
  EXPECT_EQ(shipped.out, "vistrel-desktop 1.0\n");
  EXPECT_EQ(shipped.err, "");
  // Read from the resources given, wherever --resources stands.
  dir.file("Info.txt", "CFBundleShortVersionString \"2.5b1\"\n");
  ProgramRun other = runDesktop(dir, "--version --resources '" + dir.path().string() + "'");
  EXPECT_EQ(other.out, "vistrel-desktop 2.5b1\n");
  dir.file("Info.txt", "CFBundleName \"Vistrel\"\n");
  ProgramRun lacking = runDesktop(dir, "--resources '" + dir.path().string() + "' --version");
  EXPECT_EQ(lacking.status, 1);
  EXPECT_EQ(lacking.out, "");
  EXPECT_NE(lacking.err.find("no CFBundleShortVersionString"), std::string::npos) << lacking.err;
}

}  // namespace
