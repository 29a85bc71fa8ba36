// The PNG writer of the application icon, read back as a decoder would
// (tests/backend/png_reader.h): chunks and their CRCs, the header, the compressed
// stream inflated and each row unfiltered back to the pixels.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "backend/png.h"
#include "tests/backend/png_reader.h"

namespace {

using Pixels = std::vector<unsigned char>;
// A sample (0 red .. 3 alpha) of the pixel at (x, y).
using Drawing = std::function<unsigned char(std::uint32_t x, std::uint32_t y, int sample)>;

Pixels draw(std::uint32_t width, std::uint32_t height, const Drawing& sample) {
  Pixels rgba;
  for (std::uint32_t y = 0; y < height; ++y)
    for (std::uint32_t x = 0; x < width; ++x)
      for (int s = 0; s < 4; ++s) rgba.push_back(sample(x, y, s));
  return rgba;
}

// Well-mixed bytes, the same for the same arguments.
unsigned char noise(std::uint32_t x, std::uint32_t y, int s) {
  std::uint32_t h = x * 0x9E3779B1u ^ y * 0x85EBCA77u ^ static_cast<std::uint32_t>(s) * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 13;
  return static_cast<unsigned char>(h >> 8);
}

TEST(Png, CrcMatchesItsPublishedCheckValue) {
  const std::string digits = "123456789";
  EXPECT_EQ(backend::crc32(reinterpret_cast<const unsigned char*>(digits.data()), digits.size()),
            0xCBF43926u);
  EXPECT_EQ(backend::crc32(nullptr, 0), 0u);
}

TEST(Png, ReadsBackToTheSamePixelsWhateverTheSizeAndContent) {
  const std::pair<const char*, Drawing> drawings[] = {
      {"pattern",
       [](std::uint32_t x, std::uint32_t y, int s) {
         const std::size_t i = (std::size_t{y} * 1000 + x) * 4 + static_cast<std::size_t>(s);
         return static_cast<unsigned char>(i * 7 + i / 5);
       }},
      {"noise", noise},
      {"gradient", [](std::uint32_t x, std::uint32_t y,
                      int s) { return static_cast<unsigned char>(x * (s + 1) + y * 3); }},
      {"clear", [](std::uint32_t, std::uint32_t, int) -> unsigned char { return 0; }},
  };
  const std::pair<std::uint32_t, std::uint32_t> sizes[] = {{1, 1},     {16, 16},   {3, 7},
                                                           {128, 127}, {300, 200}, {1, 300}};
  std::set<int> filters;
  for (const auto& [name, drawing] : drawings)
    for (const auto& [width, height] : sizes) {
      SCOPED_TRACE(std::string(name) + " " + std::to_string(width) + " x " +
                   std::to_string(height));
      const Pixels rgba = draw(width, height, drawing);
      const auto image = png_reader::decodePNG(backend::encodePNG(width, height, rgba));
      ASSERT_EQ(image.fault, "");
      EXPECT_EQ(image.width, width);
      EXPECT_EQ(image.height, height);
      EXPECT_TRUE(image.rgba == rgba);
      filters.insert(image.filters.begin(), image.filters.end());
    }
  // So every filter the writer knows has come back right.
  EXPECT_EQ(filters, (std::set<int>{0, 1, 2, 3, 4}));
}

// Each row takes the filter that leaves the smallest differences: the one
// that predicts a drawing exactly. The first row has only zeros above: of
// noise there, any filter may leave the least.
TEST(Png, EachRowTakesTheFilterThatPredictsIt) {
  constexpr std::uint32_t kSide = 24;
  enum { kAny = -1, kNone, kSub, kUp, kAverage };
  // Each byte the mean of those to its left and above, from a noisy first
  // row and column.
  Pixels mean(kSide * kSide * 4);
  for (std::uint32_t y = 0; y < kSide; ++y)
    for (std::uint32_t x = 0; x < kSide; ++x)
      for (int s = 0; s < 4; ++s) {
        const std::size_t i = (std::size_t{y} * kSide + x) * 4 + static_cast<std::size_t>(s);
        mean[i] = x == 0 || y == 0
                      ? noise(x, y, s)
                      : static_cast<unsigned char>((mean[i - 4] + mean[i - kSide * 4]) / 2);
      }
  struct Case {
    const char* name;
    Pixels rgba;
    int firstRow, otherRows;
  };
  const Case cases[] = {
      {"clear", Pixels(kSide * kSide * 4, 0), kNone, kNone},
      {"one colour",
       draw(kSide, kSide,
            [](auto, auto, int s) { return static_cast<unsigned char>(0x40 + s * 0x40 - s / 3); }),
       kSub, kUp},
      {"the same noise on every row",
       draw(kSide, kSide, [](auto x, auto, int s) { return noise(x, 0, s); }), kAny, kUp},
      {"stripes a pixel high, of 1 and 200 by turns",
       draw(kSide, kSide,
            [](auto, auto y, int) { return static_cast<unsigned char>(y % 2 ? 200 : 1); }),
       kSub, kSub},
      {"the mean of left and above", mean, kAny, kAverage},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto image = png_reader::decodePNG(backend::encodePNG(kSide, kSide, c.rgba));
    ASSERT_EQ(image.fault, "");
    EXPECT_TRUE(image.rgba == c.rgba);
    std::vector<int> wanted(kSide, c.otherRows);
    wanted[0] = c.firstRow == kAny ? image.filters.at(0) : c.firstRow;
    EXPECT_EQ(image.filters, wanted);
  }
}

TEST(Png, SmoothDrawingsShrinkAndNoiseDoesNotGrow) {
  struct Case {
    const char* name;
    Drawing drawing;
    double maxRatio;  // of the compressed stream to the raw pixels
  };
  const Case cases[] = {
      {"clear", [](std::uint32_t, std::uint32_t, int) -> unsigned char { return 0; }, 0.01},
      {"gradient",
       [](std::uint32_t x, std::uint32_t y, int s) {
         return static_cast<unsigned char>(s == 3 ? 255 : (x + y) / 2);
       },
       0.05},
      {"noise", noise, 1.01},
  };
  constexpr std::uint32_t kSide = 256;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto image =
        png_reader::decodePNG(backend::encodePNG(kSide, kSide, draw(kSide, kSide, c.drawing)));
    ASSERT_EQ(image.fault, "");
    EXPECT_LE(static_cast<double>(image.idatBytes), c.maxRatio * kSide * kSide * 4);
  }
}

TEST(Png, RefusesPixelsThatDoNotFitTheSize) {
  EXPECT_EQ(backend::encodePNG(0, 4, {}), "");
  EXPECT_EQ(backend::encodePNG(4, 0, {}), "");
  EXPECT_EQ(backend::encodePNG(2, 2, std::vector<unsigned char>(15)), "");
  EXPECT_EQ(backend::encodePNG(2, 2, std::vector<unsigned char>(17)), "");
  EXPECT_NE(backend::encodePNG(2, 2, std::vector<unsigned char>(16)), "");
}

}  // namespace
