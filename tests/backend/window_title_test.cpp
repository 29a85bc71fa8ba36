// Window titles on the real desktop.
#include "backend/window_title.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowTitle, DropsTheControllerSuffixOnly) {
  EXPECT_EQ(backend::windowTitle("SettingsController"), "Settings");
  EXPECT_EQ(backend::windowTitle("About"), "About");
  EXPECT_EQ(backend::windowTitle("ControllerSettings"), "ControllerSettings");
  // Nothing would be left: the name stays.
  EXPECT_EQ(backend::windowTitle("Controller"), "Controller");
  EXPECT_EQ(backend::windowTitle(""), "");
}

}  // namespace
