// The status icon's one-bit image: plain PBM as both desktops read it, and
// the template pixels the macOS status item is drawn from.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backend/bitmap.h"

namespace {

using backend::Bitmap;

// The error parsing TEXT gives, or "" when it parses; a failed parse must
// leave the bitmap as it was.
std::string parseError(const std::string& text) {
  Bitmap bitmap;
  bitmap.width = 7;
  auto error = backend::parsePBM(text, &bitmap);
  if (error) {
    EXPECT_EQ(bitmap.width, 7u) << "a failed parse changed the bitmap";
  }
  return error.value_or("");
}

std::vector<bool> bits(const std::string& digits) {
  std::vector<bool> out;
  for (char c : digits) out.push_back(c == '1');
  return out;
}

TEST(PlainPBM, ReadsPackedDigitsRowByRowFromTheTop) {
  Bitmap b;
  ASSERT_EQ(backend::parsePBM("P1\n3 2\n010\n111\n", &b), std::nullopt);
  EXPECT_EQ(b.width, 3u);
  EXPECT_EQ(b.height, 2u);
  EXPECT_EQ(b.bits, bits("010111"));
  EXPECT_FALSE(b.at(0, 0));
  EXPECT_TRUE(b.at(1, 0));
  EXPECT_TRUE(b.at(0, 1)) << "(x, y) is column x of row y";
}

TEST(PlainPBM, ReadsSpacedDigitsAndCommentsAnywhere) {
  Bitmap b;
  ASSERT_EQ(backend::parsePBM("P1 # magic\n# a comment line\n 3\t2 # size\n"
                              "0 1 0 # first row\n1\n1 1\n# trailing comment",
                              &b),
            std::nullopt);
  EXPECT_EQ(b.bits, bits("010111"));
}

TEST(PlainPBM, ReadsTheLargestImageAllowed) {
  Bitmap b;
  const std::size_t side = backend::kMaxBitmapSide;
  ASSERT_EQ(backend::parsePBM("P1 " + std::to_string(side) + " 1 " + std::string(side, '1'), &b),
            std::nullopt);
  EXPECT_EQ(b.width, side);
  EXPECT_EQ(b.bits.size(), side);
}

TEST(PlainPBM, RefusesWhatIsNotPlainPBM) {
  const std::string magic = "not a plain PBM image (P1)";
  EXPECT_EQ(parseError(""), magic);
  EXPECT_EQ(parseError("P"), magic);
  EXPECT_EQ(parseError("P4 1 1 \x80"), magic) << "raw PBM";
  EXPECT_EQ(parseError(" P1 1 1 1"), magic);
  EXPECT_EQ(parseError("p1 1 1 1"), magic);
}

TEST(PlainPBM, RefusesSidesOutOfBounds) {
  const std::string sides = "width and height must be 1 to 1024";
  EXPECT_EQ(parseError("P1 0 1"), sides);
  EXPECT_EQ(parseError("P1 1 0"), sides);
  EXPECT_EQ(parseError("P1 1025 1 1"), sides);
  EXPECT_EQ(parseError("P1 1 99999999999999999999 1"), sides) << "no overflow to a small side";
  EXPECT_EQ(parseError("P1 x 1 1"), sides);
  EXPECT_EQ(parseError("P1 2"), sides);
}

TEST(PlainPBM, RefusesTooFewTooManyOrBadPixels) {
  EXPECT_EQ(parseError("P1 2 2 011"), "expected 4 pixels of 0 or 1");
  EXPECT_EQ(parseError("P1 2 2 0120"), "expected 4 pixels of 0 or 1");
  EXPECT_EQ(parseError("P1 2 2 01 1x"), "expected 4 pixels of 0 or 1");
  EXPECT_EQ(parseError("P1 2 2 01101"), "more pixels than the image holds");
  EXPECT_EQ(parseError("P1 2 2 0110 junk"), "more pixels than the image holds");
}

TEST(PlainPBM, AnUnreadableFileNamesItsPath) {
  Bitmap b;
  EXPECT_EQ(backend::readPBM("/nonexistent/Icon.pbm", &b), "/nonexistent/Icon.pbm: cannot be read");
}

TEST(PlainPBM, TheStatusIconIsSixteenSquareWithSomeInk) {
  Bitmap b;
  ASSERT_EQ(backend::readPBM(VISTREL_RESOURCE_DIR "/Status_Icon.pbm", &b), std::nullopt);
  EXPECT_EQ(b.width, 16u);
  EXPECT_EQ(b.height, 16u);
  std::size_t ink = 0;
  for (bool bit : b.bits) ink += bit;
  EXPECT_GT(ink, 0u);
  EXPECT_LT(ink, b.bits.size()) << "an all-black square shows no glyph";
  EXPECT_FALSE(b.at(0, 0));
  EXPECT_TRUE(b.at(0, 13)) << "the dock's bar runs along the bottom";
}

TEST(TemplateRGBA, InkIsOpaqueBlackAndTheRestTransparent) {
  Bitmap b;
  ASSERT_EQ(backend::parsePBM("P1 2 2 10 01", &b), std::nullopt);
  EXPECT_EQ(backend::templateRGBA(b), (std::vector<unsigned char>{0, 0, 0, 255, 0, 0, 0, 0,  //
                                                                  0, 0, 0, 0, 0, 0, 0, 255}));
}

}  // namespace
