// A one-bit image: the status icon is kept as a plain PBM (P1) file, which
// both desktops read; on macOS its bits become the template image's mask.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace backend {

inline constexpr std::size_t kMaxBitmapSide = 1024;

struct Bitmap {
  std::size_t width = 0, height = 0;
  std::vector<bool> bits;  // row by row from the top; true is ink
  bool at(std::size_t x, std::size_t y) const { return bits[y * width + x]; }
};

// Parses P1 text (comments with #, whitespace-separated or packed digits);
// an error message when it is not a well-formed P1 image within the limits.
std::optional<std::string> parsePBM(const std::string& text, Bitmap* out);
std::optional<std::string> readPBM(const std::string& path, Bitmap* out);

// Eight-bit RGBA pixels, row by row from the top: ink black and opaque,
// the rest transparent, as a template image wants them.
std::vector<unsigned char> templateRGBA(const Bitmap& bitmap);

}  // namespace backend
