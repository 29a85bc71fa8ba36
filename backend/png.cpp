#include "backend/png.h"

#include <algorithm>
#include <array>

namespace backend {

namespace {

// A stored deflate block holds at most this many bytes.
constexpr std::size_t kMaxStoredBlock = 65535;

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

// zlib header, stored blocks, Adler-32 of the raw bytes.
std::string storedZlib(const std::vector<unsigned char>& raw) {
  std::string z;
  // Deflate with a 32 KiB window, no dictionary; 0x7801 is a multiple of 31.
  z.push_back(static_cast<char>(0x78));
  z.push_back(static_cast<char>(0x01));
  std::size_t at = 0;
  do {
    const std::size_t n = std::min(kMaxStoredBlock, raw.size() - at);
    const bool last = at + n == raw.size();
    z.push_back(static_cast<char>(last ? 1 : 0));  // BFINAL, BTYPE 00
    const auto len = static_cast<std::uint16_t>(n);
    const auto nlen = static_cast<std::uint16_t>(~len);
    z.push_back(static_cast<char>(len & 0xFF));
    z.push_back(static_cast<char>(len >> 8));
    z.push_back(static_cast<char>(nlen & 0xFF));
    z.push_back(static_cast<char>(nlen >> 8));
    z.append(reinterpret_cast<const char*>(raw.data() + at), n);
    at += n;
  } while (at < raw.size());
  putBigEndian(&z, adler32(raw.data(), raw.size()));
  return z;
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
  // Each row starts with its filter type, 0 (none).
  const std::size_t rowBytes = std::size_t{width} * 4;
  std::vector<unsigned char> raw;
  raw.reserve((rowBytes + 1) * height);
  for (std::uint32_t y = 0; y < height; ++y) {
    raw.push_back(0);
    auto row = rgba.begin() + static_cast<std::ptrdiff_t>(y * rowBytes);
    raw.insert(raw.end(), row, row + static_cast<std::ptrdiff_t>(rowBytes));
  }

  std::string png("\x89PNG\r\n\x1a\n", 8);
  std::string header;
  putBigEndian(&header, width);
  putBigEndian(&header, height);
  // 8 bits per sample, colour type 6 (RGBA), deflate, adaptive filters, no interlace.
  header += std::string("\x08\x06\x00\x00\x00", 5);
  putChunk(&png, "IHDR", header);
  putChunk(&png, "IDAT", storedZlib(raw));
  putChunk(&png, "IEND", "");
  return png;
}

}  // namespace backend
