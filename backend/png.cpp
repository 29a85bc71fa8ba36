#include "backend/png.h"

#include <array>
#include <cstdlib>

namespace backend {

namespace {

const std::array<std::uint32_t, 256>& crcTable() {
  static const auto table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  return table;
}

void putBigEndian(std::string* out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out->push_back(static_cast<char>((v >> shift) & 0xFF));
}

void putChunk(std::string* out, const char type[4], const std::string& data) {
  putBigEndian(out, static_cast<std::uint32_t>(data.size()));
  std::string body(type, 4);
  body += data;
  *out += body;
  putBigEndian(out, crc32(reinterpret_cast<const unsigned char*>(body.data()), body.size()));
}

// The filter types, in the order a row names them: the byte's value less
// nothing, the byte to its left (a), above (b), their mean, or whichever of
// a, b and the byte above-left (c) is nearest to a + b - c.
enum Filter { kNone, kSub, kUp, kAverage, kPaeth, kFilters };

unsigned prediction(int filter, unsigned a, unsigned b, unsigned c) {
  switch (filter) {
    case kSub: return a;
    case kUp: return b;
    case kAverage: return (a + b) / 2;
    case kPaeth: {
      const int p = static_cast<int>(a + b) - static_cast<int>(c);
      const int pa = std::abs(p - static_cast<int>(a)), pb = std::abs(p - static_cast<int>(b)),
                pc = std::abs(p - static_cast<int>(c));
      return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
    }
    default: return 0;
  }
}

// Appends the row, filtered, after its filter type: the type whose output
// has the least sum of magnitudes (bytes read as signed), as these are the
// rows that compress best.
void putFilteredRow(std::vector<unsigned char>* raw, const unsigned char* row,
                    const unsigned char* above, std::size_t rowBytes) {
  constexpr std::size_t kPixel = 4;
  std::vector<unsigned char> best, trial(rowBytes);
  unsigned long bestCost = 0;
  int bestFilter = kNone;
  for (int filter = kNone; filter < kFilters; ++filter) {
    unsigned long cost = 0;
    for (std::size_t i = 0; i < rowBytes; ++i) {
      const unsigned a = i >= kPixel ? row[i - kPixel] : 0;
      const unsigned c = i >= kPixel ? above[i - kPixel] : 0;
      trial[i] = static_cast<unsigned char>(row[i] - prediction(filter, a, above[i], c));
      cost += static_cast<unsigned long>(std::abs(static_cast<signed char>(trial[i])));
    }
    if (filter == kNone || cost < bestCost) {
      bestCost = cost;
      bestFilter = filter;
      best.swap(trial);
      trial.resize(rowBytes);
    }
  }
  raw->push_back(static_cast<unsigned char>(bestFilter));
  raw->insert(raw->end(), best.begin(), best.end());
}

}  // namespace

std::uint32_t crc32(const unsigned char* data, std::size_t size) {
  const auto& table = crcTable();
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

std::string encodePNG(std::uint32_t width, std::uint32_t height,
                      const std::vector<unsigned char>& rgba) {
  if (width == 0 || height == 0 || rgba.size() / 4 / width != height ||
      rgba.size() != std::size_t{width} * height * 4)
    return {};
  // Each row is filtered against the one above; the first against zeros.
  const std::size_t rowBytes = std::size_t{width} * 4;
  const std::vector<unsigned char> zeros(rowBytes);
  std::vector<unsigned char> raw;
  raw.reserve((rowBytes + 1) * height);
  for (std::uint32_t y = 0; y < height; ++y) {
    const unsigned char* row = rgba.data() + y * rowBytes;
    putFilteredRow(&raw, row, y == 0 ? zeros.data() : row - rowBytes, rowBytes);
  }

  std::string png("\x89PNG\r\n\x1a\n", 8);
  std::string header;
  putBigEndian(&header, width);
  putBigEndian(&header, height);
  // 8 bits per sample, colour type 6 (RGBA), deflate, adaptive filters, no interlace.
  header += std::string("\x08\x06\x00\x00\x00", 5);
  putChunk(&png, "IHDR", header);
  putChunk(&png, "IDAT", zlibCompress(raw.data(), raw.size()));
  putChunk(&png, "IEND", "");
  return png;
}

}  // namespace backend
