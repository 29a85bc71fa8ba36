// The desktop program with its stored files: the same file given for both
// is refused before anything is read, moved or written (status 2); changes
// that could not be saved end the run with status 3.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>

#include "tests/stored_files_folder.h"

extern char** environ;

namespace {

using stored_files_test::TempFolder;
namespace fs = std::filesystem;

class DesktopProgram : public TempFolder {
 protected:
  void SetUp() override {
    TempFolder::SetUp();
    fs::create_directories(dir / "run");
    fs::create_directories(dir / "user");
    scenario = at("run/first.scn");
    write(scenario, "at 0.5 login-items add \"file:///Applications/A.app/\"\nrun 1\n");
  }

  // Runs vistrel-desktop with `args`; its exit status, its standard error in `errors`.
  int run(const std::vector<std::string>& args) {
    std::vector<std::string> all = {VISTREL_DESKTOP_PROGRAM};
    all.insert(all.end(), args.begin(), args.end());
    all.push_back(scenario);
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, at("run/out").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, at("run/err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    EXPECT_EQ(spawned, 0);
    int status = 0;
    EXPECT_EQ(::waitpid(pid, &status, 0), pid);
    errors = read(at("run/err"));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // Everything under user/: each name with its link target or contents.
  std::map<std::string, std::string> snapshot() const {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(dir / "user")) {
      auto name = fs::relative(e.path(), dir / "user").string();
      if (e.is_symlink())
        out[name] = "-> " + fs::read_symlink(e.path()).string();
      else if (e.is_regular_file())
        out[name] = read(e.path().string());
      else
        out[name] = "(folder)";
    }
    return out;
  }

  std::string scenario;
  std::string errors;
};

TEST_F(DesktopProgram, SameFileForBothIsRefusedBeforeLaunch) {
  write(at("user/file"), "modKey int 2\n");
  fs::create_hard_link(at("user/file"), at("user/hard"));
  fs::create_symlink("file", at("user/link"));
  fs::create_directories(dir / "user/sub");
  fs::create_directory_symlink(dir / "user", at("user/sub/up"));
  fs::create_symlink(at("user/absent"), at("user/dangling"));

  const std::vector<std::pair<std::string, std::string>> pairs = {
      {at("user/file"), at("user/file")},             // the same path
      {at("user/file"), at("user/./sub/../file")},    // spelt another way
      {at("user/link"), at("user/file")},             // a symbolic link
      {at("user/file"), at("user/hard")},             // a hard link
      {at("user/absent"), at("user/./absent")},       // not there yet
      {at("user/sub/up/absent"), at("user/absent")},  // not there, through a linked folder
      {at("user/dangling"), at("user/absent")},       // a link to what is not there yet
  };
  const auto before = snapshot();
  for (const auto& [defaults, loginItems] : pairs) {
    EXPECT_EQ(run({"--defaults", defaults, "--login-items", loginItems}), 2)
        << defaults << " / " << loginItems;
    EXPECT_EQ(errors, "vistrel-desktop: --defaults " + defaults + " and --login-items " +
                          loginItems + " name the same file; each needs a file of its own\n");
    EXPECT_EQ(read(at("run/out")), "");
    EXPECT_EQ(snapshot(), before) << defaults << " / " << loginItems;
  }
}

// The scenario itself given as a file kept for the user would be taken for
// a damaged file and moved aside, then replaced: refused the same way.
TEST_F(DesktopProgram, TheScenarioAsAStoredFileIsRefusedBeforeLaunch) {
  scenario = at("user/s.scn");
  write(scenario, "at 0.5 login-items add \"file:///Applications/A.app/\"\nrun 1\n");
  fs::create_symlink("s.scn", at("user/link.scn"));
  fs::create_hard_link(scenario, at("user/hard.scn"));
  const auto before = snapshot();
  for (const char* option : {"--defaults", "--login-items"}) {
    for (const std::string& file :
         {scenario, at("user/link.scn"), at("user/hard.scn"), at("user/../user/s.scn")}) {
      for (bool serve : {false, true}) {
        std::vector<std::string> args = {option, file};
        if (serve) args.insert(args.begin(), "--serve");
        EXPECT_EQ(run(args), 2) << option << " " << file;
        std::string what = std::string(option) == "--defaults" ? "defaults" : "login items";
        EXPECT_EQ(errors, "vistrel-desktop: " + std::string(option) + " " + file +
                              " names the scenario " + scenario + "; the " + what +
                              " need a file of their own\n");
        EXPECT_EQ(read(at("run/out")), "");
        EXPECT_EQ(snapshot(), before) << option << " " << file;
      }
    }
  }
}

TEST_F(DesktopProgram, DistinctFilesAreBothKept) {
  write(at("user/defaults"), "modKey int 2\n");
  EXPECT_EQ(run({"--defaults", at("user/defaults"), "--login-items", at("user/items")}), 0)
      << errors;
  EXPECT_EQ(errors, "");
  EXPECT_NE(read(at("user/defaults")).find("modKey int 2\n"), std::string::npos);
  EXPECT_EQ(read(at("user/items")), "\"file:///Applications/A.app/\"\n");
}

TEST_F(DesktopProgram, ChangesThatCouldNotBeSavedEndTheRunWithStatus3) {
  EXPECT_EQ(run({"--defaults", at("user/missing/defaults")}), 3);
  EXPECT_NE(errors.find(at("user/missing/defaults") + ":0: cannot be saved ("), std::string::npos)
      << errors;
  EXPECT_EQ(read(at("run/out")).find("defaults.sync"), std::string::npos);

  // A file that cannot be used is never written, so the run's changes are lost too.
  fs::create_directory(at("user/folder"));
  EXPECT_EQ(run({"--login-items", at("user/folder")}), 3);
  EXPECT_NE(errors.find("cannot use this login-items file (not a regular file)"), std::string::npos)
      << errors;
  EXPECT_TRUE(fs::is_directory(at("user/folder")));
}

}  // namespace
