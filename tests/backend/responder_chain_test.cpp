// Where an action goes: its target, else the application's own actions,
// else the delegate; and the names a resource lookup refuses.
#include "backend/responder_chain.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "backend/resource_files.h"

namespace {

struct RecordingApp final : platform::Application {
  std::vector<std::string> calls;
  int applicationMain(int, char**) override { return 0; }
  void activateIgnoringOtherApps(bool) override { calls.push_back("activate"); }
  void orderFrontStandardAboutPanel(platform::NibObject*) override { calls.push_back("about"); }
  void terminate(platform::NibObject*) override { calls.push_back("terminate"); }
};

struct Responder final : platform::ApplicationDelegate {
  std::string responds;
  std::vector<std::string> got;
  void applicationDidFinishLaunching() override {}
  bool performAction(const std::string& selector, platform::NibObject*) override {
    got.push_back(selector);
    return selector == responds;
  }
};

TEST(ResponderChainTest, TheApplicationAnswersItsOwnActionsBeforeTheDelegate) {
  RecordingApp app;
  Responder delegate;
  delegate.responds = "openSettings:";
  EXPECT_TRUE(backend::sendAlongResponderChain(app, &delegate, "terminate:", nullptr));
  EXPECT_TRUE(
      backend::sendAlongResponderChain(app, &delegate, "orderFrontStandardAboutPanel:", nullptr));
  EXPECT_TRUE(backend::sendAlongResponderChain(app, &delegate, "openSettings:", nullptr));
  EXPECT_FALSE(backend::sendAlongResponderChain(app, &delegate, "paste:", nullptr));
  EXPECT_FALSE(backend::sendAlongResponderChain(app, nullptr, "openSettings:", nullptr));
  EXPECT_EQ(app.calls, (std::vector<std::string>{"terminate", "about"}));
  EXPECT_EQ(delegate.got, (std::vector<std::string>{"openSettings:", "paste:"}));
}

TEST(ResponderChainTest, AMenuEntryWithATargetNeverReachesTheChain) {
  RecordingApp app;
  Responder delegate, target;
  delegate.responds = target.responds = "openSettings:";
  platform::MenuItem quit("Quit", "terminate:", "q");
  quit.setTarget(&target);
  EXPECT_FALSE(backend::sendMenuItemAction(quit, app, &delegate));
  EXPECT_TRUE(app.calls.empty());

  platform::MenuItem untargeted("Quit", "terminate:", "q");
  EXPECT_TRUE(backend::sendMenuItemAction(untargeted, app, &delegate));
  EXPECT_EQ(app.calls, std::vector<std::string>{"terminate"});
  EXPECT_TRUE(delegate.got.empty());
  EXPECT_EQ(target.got, std::vector<std::string>{"terminate:"});
}

TEST(ResourceFilesTest, ANameThatCouldLeaveTheFolderNamesNoFile) {
  namespace fs = std::filesystem;
  std::string pattern = (fs::temp_directory_path() / "vistrel-resources-XXXXXX").string();
  ASSERT_TRUE(::mkdtemp(pattern.data()));
  const fs::path dir = fs::path(pattern) / "Resources";
  fs::create_directories(dir / "sub");
  std::ofstream(dir / "icon.pbm") << "P1\n";
  std::ofstream(dir / "sub" / "x.pbm") << "P1\n";
  std::ofstream(fs::path(pattern) / "outside.pbm") << "P1\n";
  fs::create_directories(dir / "folder.pbm");

  EXPECT_EQ(backend::resourceFile(dir.string(), "icon", ".pbm"), (dir / "icon.pbm").string());
  EXPECT_EQ(backend::resourceFile(dir.string(), "sub/x", ".pbm"), "");
  EXPECT_EQ(backend::resourceFile(dir.string(), "../outside", ".pbm"), "");
  EXPECT_EQ(backend::resourceFile(dir.string(), "..", ".pbm"), "");
  EXPECT_EQ(backend::resourceFile(dir.string(), "", ".pbm"), "");
  EXPECT_EQ(backend::resourceFile(dir.string(), "folder", ".pbm"), "");  // not a file
  EXPECT_EQ(backend::resourceFile("", "icon", ".pbm"), "");
  fs::remove_all(pattern);
}

}  // namespace
