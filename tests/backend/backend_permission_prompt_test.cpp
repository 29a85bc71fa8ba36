// "Request Access" leads to System Settings whenever the prompt may not show.
#include <gtest/gtest.h>

#include "backend/permission_prompt.h"

namespace {

TEST(PermissionPrompt, SettingsOpenOnlyForAPromptThatLeftTheProcessUntrusted) {
  struct Case {
    bool prompted, trusted, opens;
  };
  const Case cases[] = {
      {true, false, true},    // the prompt may have been dismissed before
      {true, true, false},    // nothing to grant
      {false, false, false},  // the silent check of the settings window, each second
      {false, true, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(backend::opensAccessibilitySettings(c.prompted, c.trusted), c.opens)
        << "prompted " << c.prompted << ", trusted " << c.trusted;
}

}  // namespace
