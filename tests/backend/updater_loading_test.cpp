// Why updates are unavailable: the first step that fails says so, and no
// later step is taken.
#include "backend/updater_loading.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct FakeFramework final : backend::UpdaterFramework {
  bool present = true, loads = true, hasUpdater = true;
  std::string error;
  std::vector<std::string> steps;
  bool find() override {
    steps.push_back("find");
    return present;
  }
  bool load(std::string* reason) override {
    steps.push_back("load");
    *reason = error;
    return loads;
  }
  bool findUpdater() override {
    steps.push_back("updater");
    return hasUpdater;
  }
};

TEST(UpdaterLoadingTest, TheFirstFailingStepGivesTheReason) {
  FakeFramework missing;
  missing.present = false;
  EXPECT_EQ(backend::loadUpdaterFramework(missing),
            "the application bundle has no Sparkle.framework");
  EXPECT_EQ(missing.steps, std::vector<std::string>{"find"});

  FakeFramework broken;
  broken.loads = false;
  broken.error = "code signature invalid";
  EXPECT_EQ(backend::loadUpdaterFramework(broken), "code signature invalid");
  broken.error.clear();  // a failure the platform does not explain
  EXPECT_EQ(backend::loadUpdaterFramework(broken), "Sparkle.framework does not load");
  EXPECT_EQ(broken.steps, (std::vector<std::string>{"find", "load", "find", "load"}));

  FakeFramework foreign;
  foreign.hasUpdater = false;
  EXPECT_EQ(backend::loadUpdaterFramework(foreign), "Sparkle.framework has no SUUpdater");

  FakeFramework good;
  EXPECT_EQ(backend::loadUpdaterFramework(good), std::nullopt);
  EXPECT_EQ(good.steps, (std::vector<std::string>{"find", "load", "updater"}));
}

}  // namespace
