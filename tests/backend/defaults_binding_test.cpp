// Key paths of controls bound to the user defaults on the real desktop.
#include "backend/defaults_binding.h"

#include <gtest/gtest.h>

namespace {

TEST(DefaultsBinding, OneKeyMakesOneKeyPath) {
  EXPECT_EQ(backend::defaultsKeyPath("modKey"), "values.modKey");
  EXPECT_EQ(backend::defaultsKeyPath("SUUpdaterChecksForBetaUpdates"),
            "values.SUUpdaterChecksForBetaUpdates");
}

TEST(DefaultsBinding, KeysThatKeyValueCodingWouldSplitAreRefused) {
  EXPECT_EQ(backend::defaultsKeyPath(""), std::nullopt);
  EXPECT_EQ(backend::defaultsKeyPath("hover.delay"), std::nullopt);
  EXPECT_EQ(backend::defaultsKeyPath("."), std::nullopt);
  EXPECT_EQ(backend::defaultsKeyPath("@count"), std::nullopt);
}

}  // namespace
