// A reader of what backend/deflate and backend/png write, written apart
// from them for the tests: a zlib inflater for stored and fixed-Huffman
// blocks, and a PNG decoder for 8-bit RGBA. Each reports the first fault it
// meets instead of reading on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "backend/deflate.h"
#include "backend/png.h"

namespace png_reader {

inline std::uint32_t bigEndian(const std::string& s, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(s.at(at + i));
  return v;
}

struct Match {
  std::size_t length, distance;
  bool operator==(const Match&) const = default;
};

struct Inflated {
  std::string bytes;
  std::string fault;            // empty when the stream is whole
  std::vector<int> blockTypes;  // 0 stored, 1 fixed codes
  std::vector<Match> matches;   // in order, over all blocks
};

class BitReader {
 public:
  BitReader(const std::string& s, std::size_t at) : s_(s), byte_(at) {}
  // `count` bits, the first read as the least significant; 0 past the end.
  unsigned bits(int count) {
    unsigned v = 0;
    for (int i = 0; i < count; ++i) v |= bit() << i;
    return v;
  }
  unsigned bit() {
    if (byte_ >= s_.size()) {
      overrun = true;
      return 0;
    }
    const unsigned b = (static_cast<unsigned char>(s_[byte_]) >> bit_) & 1;
    if (++bit_ == 8) bit_ = 0, ++byte_;
    return b;
  }
  void skipToByte() {
    if (bit_ != 0) bit_ = 0, ++byte_;
  }
  std::size_t byte() const { return byte_; }
  void skipBytes(std::size_t n) { byte_ += n; }
  bool overrun = false;

 private:
  const std::string& s_;
  std::size_t byte_;
  int bit_ = 0;
};

// A literal/length symbol in the fixed code: 7-bit codes 0..23 name
// 256..279, 8-bit codes 48..191 the literals 0..143 and 192..199 name
// 280..287, 9-bit codes 400..511 the literals 144..255.
inline unsigned fixedSymbol(BitReader& in) {
  unsigned code = 0;
  for (int i = 0; i < 7; ++i) code = code << 1 | in.bit();
  if (code <= 23) return 256 + code;
  code = code << 1 | in.bit();
  if (code >= 48 && code <= 191) return code - 48;
  if (code >= 192 && code <= 199) return 280 + code - 192;
  code = code << 1 | in.bit();
  return 144 + code - 400;
}

inline Inflated inflateZlib(const std::string& z) {
  static const unsigned kLengthBase[] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                         15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                         67, 83, 99, 115, 131, 163, 195, 227, 258};
  static const unsigned kDistanceBase[] = {
      1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
      193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
  auto lengthExtra = [](unsigned i) { return i < 8 || i == 28 ? 0 : static_cast<int>(i / 4 - 1); };
  auto distanceExtra = [](unsigned i) { return i < 4 ? 0 : static_cast<int>(i / 2 - 1); };

  Inflated r;
  auto fail = [&r](const std::string& why) {
    if (r.fault.empty()) r.fault = why;
    return r;
  };
  if (z.size() < 6) return fail("shorter than a header and a check");
  const unsigned cmf = static_cast<unsigned char>(z[0]), flg = static_cast<unsigned char>(z[1]);
  if ((cmf << 8 | flg) % 31 != 0) return fail("header check bits");
  if (cmf != 0x78) return fail("not deflate with a 32 KiB window");
  if (flg & 0x20) return fail("a preset dictionary");
  BitReader in(z, 2);
  for (bool last = false; !last;) {
    last = in.bit();
    const unsigned type = in.bits(2);
    r.blockTypes.push_back(static_cast<int>(type));
    if (type == 0) {
      in.skipToByte();
      const unsigned len = in.bits(16), nlen = in.bits(16);
      if (in.overrun || (len ^ 0xFFFF) != nlen) return fail("stored length");
      if (in.byte() + len > z.size()) return fail("stored bytes past the end");
      r.bytes += z.substr(in.byte(), len);
      in.skipBytes(len);
      continue;
    }
    if (type != 1) return fail("block type " + std::to_string(type));
    for (;;) {
      const unsigned symbol = fixedSymbol(in);
      if (in.overrun) return fail("past the end in a block");
      if (symbol < 256) {
        r.bytes.push_back(static_cast<char>(symbol));
        continue;
      }
      if (symbol == 256) break;
      if (symbol > 285) return fail("length symbol " + std::to_string(symbol));
      const unsigned l = symbol - 257;
      const unsigned length = kLengthBase[l] + in.bits(lengthExtra(l));
      const unsigned d = in.bits(5), reversed = (d & 1) << 4 | (d & 2) << 2 | (d & 4) |
                                                (d & 8) >> 2 | (d & 16) >> 4;
      if (reversed > 29) return fail("distance symbol " + std::to_string(reversed));
      const std::size_t distance = kDistanceBase[reversed] + in.bits(distanceExtra(reversed));
      if (in.overrun) return fail("past the end in a match");
      if (distance > r.bytes.size()) return fail("a match before the start");
      if (distance > 32768) return fail("a match beyond the window");
      for (unsigned i = 0; i < length; ++i) r.bytes.push_back(r.bytes[r.bytes.size() - distance]);
      r.matches.push_back({length, distance});
    }
  }
  in.skipToByte();
  if (in.byte() + 4 != z.size()) return fail("not 4 bytes of check after the last block");
  if (bigEndian(z, in.byte()) !=
      backend::adler32(reinterpret_cast<const unsigned char*>(r.bytes.data()), r.bytes.size()))
    return fail("Adler-32");
  return r;
}

struct Image {
  std::uint32_t width = 0, height = 0;
  std::vector<unsigned char> rgba;
  std::vector<int> filters;  // each row's
  std::size_t idatBytes = 0;
  std::string fault;
};

// The three chunks an 8-bit RGBA PNG needs, unfiltered back to its pixels.
inline Image decodePNG(const std::string& png) {
  Image image;
  auto fail = [&image](const std::string& why) {
    if (image.fault.empty()) image.fault = why;
    return image;
  };
  if (png.substr(0, 8) != std::string("\x89PNG\r\n\x1a\n", 8)) return fail("signature");
  std::vector<std::pair<std::string, std::string>> chunks;
  std::size_t at = 8;
  while (at + 12 <= png.size()) {
    const std::uint32_t length = bigEndian(png, at);
    if (at + 12 + length > png.size()) return fail("a chunk past the end");
    const std::string typeAndData = png.substr(at + 4, 4 + length);
    if (bigEndian(png, at + 8 + length) !=
        backend::crc32(reinterpret_cast<const unsigned char*>(typeAndData.data()),
                       typeAndData.size()))
      return fail("CRC of " + typeAndData.substr(0, 4));
    chunks.emplace_back(typeAndData.substr(0, 4), typeAndData.substr(4));
    at += 12 + length;
  }
  if (at != png.size()) return fail("bytes after the last chunk");
  if (chunks.size() != 3 || chunks[0].first != "IHDR" || chunks[1].first != "IDAT" ||
      chunks[2].first != "IEND" || !chunks[2].second.empty())
    return fail("not IHDR, IDAT, IEND");
  const std::string& header = chunks[0].second;
  if (header.size() != 13) return fail("IHDR size");
  image.width = bigEndian(header, 0);
  image.height = bigEndian(header, 4);
  if (header.substr(8) != std::string("\x08\x06\x00\x00\x00", 5))
    return fail("not 8-bit RGBA, deflate, adaptive filters, no interlace");
  image.idatBytes = chunks[1].second.size();
  const Inflated raw = inflateZlib(chunks[1].second);
  if (!raw.fault.empty()) return fail("IDAT: " + raw.fault);
  const std::size_t rowBytes = std::size_t{image.width} * 4;
  if (raw.bytes.size() != (rowBytes + 1) * image.height) return fail("IDAT size");

  image.rgba.assign(rowBytes * image.height, 0);
  for (std::size_t y = 0; y < image.height; ++y) {
    const int filter = static_cast<unsigned char>(raw.bytes[y * (rowBytes + 1)]);
    image.filters.push_back(filter);
    if (filter > 4) return fail("filter type " + std::to_string(filter));
    for (std::size_t i = 0; i < rowBytes; ++i) {
      const unsigned char* here = &image.rgba[y * rowBytes + i];
      // Left, above, above-left; zero outside the image.
      const int a = i >= 4 ? *(here - 4) : 0, b = y > 0 ? *(here - rowBytes) : 0,
                c = i >= 4 && y > 0 ? *(here - rowBytes - 4) : 0;
      int predicted = 0;
      if (filter == 1) predicted = a;
      if (filter == 2) predicted = b;
      if (filter == 3) predicted = (a + b) / 2;
      if (filter == 4) {
        const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
        predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      image.rgba[y * rowBytes + i] = static_cast<unsigned char>(
          static_cast<unsigned char>(raw.bytes[y * (rowBytes + 1) + 1 + i]) + predicted);
    }
  }
  return image;
}

}  // namespace png_reader
