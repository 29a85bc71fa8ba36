#include "backend/bitmap.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace backend {

namespace {

// Reads P1's header and pixel digits, skipping white space and comments.
class PBMScanner {
 public:
  explicit PBMScanner(const std::string& text) : text_(text) {}

  void skip() {
    while (i_ < text_.size()) {
      if (std::isspace(static_cast<unsigned char>(text_[i_]))) {
        ++i_;
      } else if (text_[i_] == '#') {
        while (i_ < text_.size() && text_[i_] != '\n') ++i_;
      } else {
        break;
      }
    }
  }
  bool magic() {
    if (text_.compare(0, 2, "P1") != 0) return false;
    i_ = 2;
    return true;
  }
  // A decimal side length within the limit, or 0.
  std::size_t side() {
    skip();
    std::size_t v = 0, digits = 0;
    while (i_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[i_]))) {
      v = v * 10 + static_cast<std::size_t>(text_[i_++] - '0');
      if (++digits > 5 || v > kMaxBitmapSide) return 0;
    }
    return v;
  }
  // The next pixel: 0, 1, or -1 when there is none or it is not a digit.
  int pixel() {
    skip();
    if (i_ >= text_.size()) return -1;
    char c = text_[i_++];
    return c == '0' ? 0 : c == '1' ? 1 : -1;
  }
  bool atEnd() {
    skip();
    return i_ >= text_.size();
  }

 private:
  const std::string& text_;
  std::size_t i_ = 0;
};

}  // namespace

std::optional<std::string> parsePBM(const std::string& text, Bitmap* out) {
  PBMScanner scan(text);
  if (!scan.magic()) return "not a plain PBM image (P1)";
  Bitmap bitmap;
  bitmap.width = scan.side();
  bitmap.height = scan.side();
  if (!bitmap.width || !bitmap.height)
    return "width and height must be 1 to " + std::to_string(kMaxBitmapSide);
  bitmap.bits.reserve(bitmap.width * bitmap.height);
  for (std::size_t n = 0; n < bitmap.width * bitmap.height; ++n) {
    int p = scan.pixel();
    if (p < 0)
      return "expected " + std::to_string(bitmap.width * bitmap.height) + " pixels of 0 or 1";
    bitmap.bits.push_back(p == 1);
  }
  if (!scan.atEnd()) return "more pixels than the image holds";
  *out = std::move(bitmap);
  return std::nullopt;
}

std::optional<std::string> readPBM(const std::string& path, Bitmap* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return path + ": cannot be read";
  std::ostringstream text;
  text << in.rdbuf();
  if (auto e = parsePBM(text.str(), out)) return path + ": " + *e;
  return std::nullopt;
}

std::vector<unsigned char> templateRGBA(const Bitmap& bitmap) {
  std::vector<unsigned char> pixels;
  pixels.reserve(bitmap.bits.size() * 4);
  for (bool ink : bitmap.bits) {
    pixels.insert(pixels.end(), {0, 0, 0, static_cast<unsigned char>(ink ? 255 : 0)});
  }
  return pixels;
}

}  // namespace backend
