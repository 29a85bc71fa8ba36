// The settings that keep the hover engine on time on macOS.
#include <gtest/gtest.h>

#include <string>

#include "backend/engine_timing.h"

namespace {

TEST(EngineTiming, TheActivityKeepsAppNapAwayButNotTheMacAwake) {
  const auto options = backend::kEngineActivityOptions;
  EXPECT_EQ(options & backend::kActivityIdleSystemSleepDisabled, 0u);
  EXPECT_EQ(options & backend::kActivityIdleDisplaySleepDisabled, 0u);
  EXPECT_EQ(options & backend::kActivityLatencyCritical, 0u);
  // Every other user-initiated flag is kept: that is what exempts the
  // process from App Nap and timer coalescing.
  EXPECT_EQ(options | backend::kActivityIdleSystemSleepDisabled, backend::kActivityUserInitiated);
  EXPECT_NE(std::string(backend::kEngineActivityReason), "") << "the system wants a reason";
}

}  // namespace
