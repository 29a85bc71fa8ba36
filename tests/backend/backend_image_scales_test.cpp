// The status icon at two resolutions: the Retina drawing must fill the same
// points as the 1x one and show the same glyph.
#include <gtest/gtest.h>

#include "backend/bitmap.h"
#include "backend/image_scales.h"

namespace {

backend::Bitmap bitmap(std::size_t width, std::size_t height) {
  backend::Bitmap b;
  b.width = width;
  b.height = height;
  b.bits.assign(width * height, false);
  return b;
}

TEST(ImageScales, TheFinerDrawingIsNamedAsAppKitNamesIt) {
  EXPECT_EQ(backend::doubleResolutionName("Status_Icon"), "Status_Icon@2x");
}

TEST(ImageScales, A2xBitmapIsExactlyTwiceAsWideAndHigh) {
  struct Case {
    std::size_t w1, h1, w2, h2;
    bool fits;
  };
  const Case cases[] = {
      {16, 16, 32, 32, true},  {16, 8, 32, 16, true},   {16, 16, 16, 16, false},
      {16, 16, 32, 31, false}, {16, 16, 33, 32, false}, {16, 16, 64, 64, false},
      {0, 0, 0, 0, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(backend::isDoubleOf(bitmap(c.w1, c.h1), bitmap(c.w2, c.h2)), c.fits)
        << c.w1 << "x" << c.h1 << " and " << c.w2 << "x" << c.h2;
}

TEST(ImageScales, TheShippedStatusIconsShowTheSameGlyph) {
  backend::Bitmap one, two;
  ASSERT_EQ(backend::readPBM(VISTREL_RESOURCE_DIR "/Status_Icon.pbm", &one), std::nullopt);
  ASSERT_EQ(
      backend::readPBM(
          VISTREL_RESOURCE_DIR "/" + backend::doubleResolutionName("Status_Icon") + ".pbm", &two),
      std::nullopt);
  ASSERT_TRUE(backend::isDoubleOf(one, two));
  // Each 1x pixel covers a 2 x 2 block: ink there exactly where the 1x has ink.
  for (std::size_t y = 0; y < one.height; ++y)
    for (std::size_t x = 0; x < one.width; ++x) {
      int ink = two.at(2 * x, 2 * y) + two.at(2 * x + 1, 2 * y) + two.at(2 * x, 2 * y + 1) +
                two.at(2 * x + 1, 2 * y + 1);
      EXPECT_EQ(ink > 0, one.at(x, y)) << x << ", " << y;
    }
}

}  // namespace
