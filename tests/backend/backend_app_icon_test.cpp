// The application icon's image and its .icns container.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "backend/app_icon.h"
#include "backend/icns.h"
#include "tests/backend/png_reader.h"

namespace {

std::uint32_t bigEndian(const std::string& s, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(s.at(at + i));
  return v;
}

// The alpha of the pixel that holds the point (x, y), in units of the side.
unsigned alphaAt(const std::vector<unsigned char>& rgba, std::uint32_t side, double x, double y) {
  auto pixel = [side](double v) {
    return std::min<std::size_t>(side - 1, static_cast<std::size_t>(v * side));
  };
  std::size_t px = pixel(x), py = pixel(y);
  return rgba[(py * side + px) * 4 + 3];
}

TEST(AppIcon, ATileOpaqueInsideAndClearOutsideAtEverySize) {
  for (std::uint32_t side : {16u, 32u, 64u, 128u, 256u, 512u, 1024u}) {
    SCOPED_TRACE(side);
    const auto rgba = backend::appIconRGBA(side);
    ASSERT_EQ(rgba.size(), std::size_t{side} * side * 4);
    // The rounded corners and the grid's margin show what is behind.
    for (auto [x, y] : {std::pair{0.0, 0.0},
                        {1.0, 0.0},
                        {0.0, 1.0},
                        {1.0, 1.0},
                        {0.5, 0.02},
                        {0.02, 0.5},
                        {0.12, 0.12},
                        {0.88, 0.88}})
      EXPECT_EQ(alphaAt(rgba, side, x, y), 0u) << x << ", " << y;
    for (auto [x, y] : {std::pair{0.5, 0.5}, {0.5, 0.15}, {0.15, 0.5}, {0.85, 0.5}, {0.5, 0.85}})
      EXPECT_EQ(alphaAt(rgba, side, x, y), 255u) << x << ", " << y;
  }
}

TEST(AppIcon, EdgesAreAntiAliased) {
  const std::uint32_t side = 256;
  const auto rgba = backend::appIconRGBA(side);
  std::size_t partial = 0;
  for (std::size_t i = 3; i < rgba.size(); i += 4)
    if (rgba[i] > 0 && rgba[i] < 255) ++partial;
  // The tile's outline, about four sides' worth of pixels, is neither in nor out.
  EXPECT_GT(partial, std::size_t{side} * 2);
  EXPECT_LT(partial, std::size_t{side} * 16);
}

TEST(AppIcon, TheSameDrawingEveryTime) {
  EXPECT_EQ(backend::appIconRGBA(128), backend::appIconRGBA(128));
}

TEST(AppIcon, NoImageOutsideTheSizesOfAnIcon) {
  for (std::uint32_t side : {0u, 1u, 15u, 1025u, 4096u})
    EXPECT_TRUE(backend::appIconRGBA(side).empty()) << side;
  EXPECT_FALSE(backend::appIconRGBA(backend::kMinAppIconSide).empty());
}

TEST(Icns, AHeaderThenEachEntryWithItsLength) {
  auto file = backend::icnsFile({{"icp4", "abc"}, {"ic10", ""}, {"ic07", std::string(300, 'x')}});
  ASSERT_TRUE(file);
  const std::string& f = *file;
  EXPECT_EQ(f.substr(0, 4), "icns");
  EXPECT_EQ(bigEndian(f, 4), f.size());
  EXPECT_EQ(f.size(), 8u + (8 + 3) + 8 + (8 + 300));
  EXPECT_EQ(f.substr(8, 4), "icp4");
  EXPECT_EQ(bigEndian(f, 12), 11u);
  EXPECT_EQ(f.substr(16, 3), "abc");
  EXPECT_EQ(f.substr(19, 4), "ic10");
  EXPECT_EQ(bigEndian(f, 23), 8u);
  EXPECT_EQ(f.substr(27, 4), "ic07");
  EXPECT_EQ(bigEndian(f, 31), 308u);
  EXPECT_EQ(backend::icnsFile({}), std::string("icns\0\0\0\x08", 8));
}

TEST(Icns, RefusesATypeThatIsNotFourLetters) {
  for (const char* type : {"", "ic1", "ic100"})
    EXPECT_FALSE(backend::icnsFile({{type, "x"}})) << type;
}

// Each type at the side macOS expects of it, a PNG of the drawing at that
// side, all of it small enough to be a modest part of the app.
TEST(Icns, TheApplicationIconHoldsEveryStandardSizeAsACompressedPNG) {
  const std::vector<std::pair<std::string, std::uint32_t>> expected = {
      {"icp4", 16},  {"ic11", 32},  {"icp5", 32},  {"ic12", 64},  {"icp6", 64},   {"ic07", 128},
      {"ic13", 256}, {"ic08", 256}, {"ic14", 512}, {"ic09", 512}, {"ic10", 1024},
  };
  auto file = backend::appIconICNS();
  ASSERT_TRUE(file);
  const std::string& f = *file;
  EXPECT_EQ(f.substr(0, 4), "icns");
  EXPECT_EQ(bigEndian(f, 4), f.size());
  EXPECT_LT(f.size(), 1u << 20) << "stored, the pixels alone would be 7 MB";
  std::size_t at = 8;
  for (const auto& [type, side] : expected) {
    SCOPED_TRACE(type);
    ASSERT_LE(at + 8, f.size());
    EXPECT_EQ(f.substr(at, 4), type);
    const std::uint32_t length = bigEndian(f, at + 4);
    ASSERT_LE(at + length, f.size());
    const auto image = png_reader::decodePNG(f.substr(at + 8, length - 8));
    ASSERT_EQ(image.fault, "");
    EXPECT_EQ(image.width, side);
    EXPECT_EQ(image.height, side);
    EXPECT_TRUE(image.rgba == backend::appIconRGBA(side)) << "the drawing, pixel for pixel";
    at += length;
  }
  EXPECT_EQ(at, f.size()) << "no entry beyond the standard ones";
}

}  // namespace
