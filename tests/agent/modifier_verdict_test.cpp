// The modifier key code and the keys held decide whether a request is made.
#include <gtest/gtest.h>

#include "app/preferences.h"
#include "platform/events.h"

namespace {

using prefs::ModifierVerdict;
using prefs::modifierVerdict;

constexpr std::uint64_t kCommand = platform::kEventModifierFlagCommand;
constexpr std::uint64_t kOption = platform::kEventModifierFlagOption;
constexpr std::uint64_t kShift = platform::kEventModifierFlagShift;
constexpr std::uint64_t kControl = platform::kEventModifierFlagControl;
constexpr std::uint64_t kAll = kCommand | kOption | kShift | kControl;

TEST(ModifierVerdict, CodeZeroNeverLooksAtTheKeys) {
  EXPECT_EQ(modifierVerdict(0, 0), ModifierVerdict::Schedule);
  EXPECT_EQ(modifierVerdict(0, kAll), ModifierVerdict::Schedule);
}

TEST(ModifierVerdict, CodesOneToThreeNameCommandOptionShift) {
  const std::pair<std::int64_t, std::uint64_t> cases[] = {{1, kCommand}, {2, kOption}, {3, kShift}};
  for (auto [code, flag] : cases) {
    EXPECT_EQ(modifierVerdict(code, flag), ModifierVerdict::Schedule) << code;
    EXPECT_EQ(modifierVerdict(code, flag | kControl), ModifierVerdict::Schedule) << code;
    EXPECT_EQ(modifierVerdict(code, kAll & ~flag), ModifierVerdict::NotHeld) << code;
    EXPECT_EQ(modifierVerdict(code, 0), ModifierVerdict::NotHeld) << code;
  }
}

TEST(ModifierVerdict, HigherCodesAreTheirOwnMask) {
  EXPECT_EQ(modifierVerdict(static_cast<std::int64_t>(kControl), kControl),
            ModifierVerdict::Schedule);
  EXPECT_EQ(modifierVerdict(static_cast<std::int64_t>(kControl), kAll & ~kControl),
            ModifierVerdict::NotHeld);
  EXPECT_EQ(modifierVerdict(4, 4), ModifierVerdict::Schedule);
  EXPECT_EQ(modifierVerdict(4, kAll), ModifierVerdict::NotHeld);
  EXPECT_EQ(modifierVerdict(static_cast<std::int64_t>(kOption | kShift), kShift),
            ModifierVerdict::Schedule);
}

TEST(ModifierVerdict, NegativeCodesNeverSchedule) {
  EXPECT_EQ(modifierVerdict(-1, 0), ModifierVerdict::Never);
  EXPECT_EQ(modifierVerdict(-1, ~std::uint64_t{0}), ModifierVerdict::Never);
  EXPECT_EQ(modifierVerdict(INT64_MIN, kAll), ModifierVerdict::Never);
}

}  // namespace
