// Bounds on values from other processes: one allowance per value, shared by
// all arrays and strings inside it, and byte limits that never split a
// UTF-8 character.
#include "backend/foreign_value_limits.h"

#include <gtest/gtest.h>

#include <string>

using backend::ForeignValueBudget;
using backend::kMaxForeignArrayEntries;
using backend::kMaxForeignNesting;
using backend::kMaxForeignStringBytes;
using backend::kMaxForeignTextBytes;
using backend::wholeUTF8Length;

namespace {

TEST(ForeignValueBudgetTest, ArraysShareOneAllowanceOfEntries) {
  ForeignValueBudget budget;
  EXPECT_EQ(budget.takeEntries(60000), 60000u);
  EXPECT_EQ(budget.takeEntries(60000), kMaxForeignArrayEntries - 60000);
  EXPECT_EQ(budget.takeEntries(1), 0u);
}

TEST(ForeignValueBudgetTest, OneArrayIsCutAtTheLimit) {
  ForeignValueBudget budget;
  EXPECT_EQ(budget.takeEntries(kMaxForeignArrayEntries + 1), kMaxForeignArrayEntries);
}

TEST(ForeignValueBudgetTest, EachStringIsBoundedAndAllTextTogether) {
  ForeignValueBudget budget;
  EXPECT_EQ(budget.textAllowance(), kMaxForeignStringBytes);
  // Strings of a full mebibyte each use up the value's text after eight.
  for (std::size_t spent = 0; spent + kMaxForeignStringBytes <= kMaxForeignTextBytes;
       spent += kMaxForeignStringBytes) {
    ASSERT_EQ(budget.textAllowance(), kMaxForeignStringBytes);
    budget.spendText(kMaxForeignStringBytes);
  }
  EXPECT_EQ(budget.textAllowance(), 0u);
  budget.spendText(10);  // more than is left changes nothing
  EXPECT_EQ(budget.textAllowance(), 0u);
}

TEST(ForeignValueBudgetTest, TheLastStringGetsWhatIsLeft) {
  ForeignValueBudget budget;
  budget.spendText(kMaxForeignTextBytes - 100);
  EXPECT_EQ(budget.textAllowance(), 100u);
}

TEST(ForeignValueBudgetTest, NestingStopsAtTheLimitAndUnwinds) {
  ForeignValueBudget budget;
  for (int i = 0; i < kMaxForeignNesting; ++i) ASSERT_TRUE(budget.enterArray()) << i;
  EXPECT_FALSE(budget.enterArray());
  budget.leaveArray();
  EXPECT_TRUE(budget.enterArray());
  for (int i = 0; i < kMaxForeignNesting + 3; ++i)
    budget.leaveArray();  // extra leaves are harmless
  for (int i = 0; i < kMaxForeignNesting; ++i) ASSERT_TRUE(budget.enterArray()) << i;
  EXPECT_FALSE(budget.enterArray());
}

TEST(WholeUTF8LengthTest, KeepsCompleteText) {
  EXPECT_EQ(wholeUTF8Length(""), 0u);
  EXPECT_EQ(wholeUTF8Length("Safari"), 6u);
  EXPECT_EQ(wholeUTF8Length("caf\xC3\xA9"), 5u);                    // é, two bytes
  EXPECT_EQ(wholeUTF8Length("\xE2\x82\xAC"), 3u);                   // €, three bytes
  EXPECT_EQ(wholeUTF8Length("a\xF0\x9F\x97\x82\xEF\xB8\x8F"), 8u);  // 🗂️
}

TEST(WholeUTF8LengthTest, DropsACharacterCutShort) {
  EXPECT_EQ(wholeUTF8Length("caf\xC3"), 3u);
  EXPECT_EQ(wholeUTF8Length("x\xE2\x82"), 1u);
  EXPECT_EQ(wholeUTF8Length("x\xE2"), 1u);
  EXPECT_EQ(wholeUTF8Length("ab\xF0\x9F\x97"), 2u);
  EXPECT_EQ(wholeUTF8Length("\xF0\x9F"), 0u);
}

TEST(WholeUTF8LengthTest, LeavesMalformedEndingsAlone) {
  // Stray continuation bytes with no lead in reach are not a cut; they are
  // the other side's text, kept as it came.
  EXPECT_EQ(wholeUTF8Length("\x80"), 1u);
  EXPECT_EQ(wholeUTF8Length("a\x80\x80\x80\x80"), 5u);
  EXPECT_EQ(wholeUTF8Length("a\xFF"), 2u);
}

TEST(WholeUTF8LengthTest, CutsALongStringAtACharacterBoundary) {
  // What a byte limit keeps of text made of three-byte characters.
  std::string text;
  while (text.size() < kMaxForeignStringBytes + 3) text += "\xE2\x82\xAC";
  std::size_t kept = wholeUTF8Length(std::string_view(text).substr(0, kMaxForeignStringBytes));
  EXPECT_LE(kept, kMaxForeignStringBytes);
  EXPECT_EQ(kept % 3, 0u);
  EXPECT_GT(kept + 3, kMaxForeignStringBytes);
}

}  // namespace
