// The PNG writer of the application icon, read back as a decoder would:
// signature, chunks and their CRCs, the header, and the zlib stream of
// stored blocks inflated back to the pixels.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "backend/png.h"

namespace {

std::uint32_t bigEndian(const std::string& s, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(s.at(at + i));
  return v;
}

std::uint32_t crcOf(const std::string& s) {
  return backend::crc32(reinterpret_cast<const unsigned char*>(s.data()), s.size());
}

struct Chunk {
  std::string type, data;
};

// The chunks after the signature; a failed expectation on any damage.
std::vector<Chunk> chunksOf(const std::string& png) {
  std::vector<Chunk> chunks;
  EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  std::size_t at = 8;
  while (at + 12 <= png.size()) {
    std::uint32_t length = bigEndian(png, at);
    std::string typeAndData = png.substr(at + 4, 4 + length);
    EXPECT_EQ(bigEndian(png, at + 8 + length), crcOf(typeAndData)) << typeAndData.substr(0, 4);
    chunks.push_back({typeAndData.substr(0, 4), typeAndData.substr(4)});
    at += 12 + length;
  }
  EXPECT_EQ(at, png.size()) << "nothing after the last chunk";
  return chunks;
}

// Inflates a zlib stream made of stored blocks only.
std::string inflateStored(const std::string& z, std::size_t* blocks) {
  *blocks = 0;
  EXPECT_GE(z.size(), 6u);
  EXPECT_EQ((static_cast<unsigned char>(z[0]) << 8 | static_cast<unsigned char>(z[1])) % 31, 0)
      << "zlib header check bits";
  EXPECT_EQ(static_cast<unsigned char>(z[0]) & 0x0F, 8) << "deflate";
  EXPECT_EQ(static_cast<unsigned char>(z[1]) & 0x20, 0) << "no preset dictionary";
  std::string raw;
  std::size_t at = 2;
  bool last = false;
  while (!last && at + 5 <= z.size()) {
    unsigned char head = static_cast<unsigned char>(z[at]);
    last = head & 1;
    EXPECT_EQ(head >> 1, 0) << "stored block";
    unsigned len = static_cast<unsigned char>(z[at + 1]) | static_cast<unsigned char>(z[at + 2])
                                                               << 8;
    unsigned nlen = static_cast<unsigned char>(z[at + 3]) | static_cast<unsigned char>(z[at + 4])
                                                                << 8;
    EXPECT_EQ(len ^ 0xFFFFu, nlen);
    raw += z.substr(at + 5, len);
    ++*blocks;
    at += 5 + len;
  }
  EXPECT_TRUE(last);
  EXPECT_EQ(at + 4, z.size()) << "Adler-32 ends the stream";
  EXPECT_EQ(bigEndian(z, at),
            backend::adler32(reinterpret_cast<const unsigned char*>(raw.data()), raw.size()));
  return raw;
}

std::vector<unsigned char> pattern(std::uint32_t width, std::uint32_t height) {
  std::vector<unsigned char> rgba(std::size_t{width} * height * 4);
  for (std::size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<unsigned char>(i * 7 + i / 5);
  return rgba;
}

TEST(Png, ChecksumsMatchTheirPublishedCheckValues) {
  const std::string digits = "123456789";
  EXPECT_EQ(crcOf(digits), 0xCBF43926u);
  EXPECT_EQ(backend::crc32(nullptr, 0), 0u);
  const std::string wiki = "Wikipedia";
  EXPECT_EQ(backend::adler32(reinterpret_cast<const unsigned char*>(wiki.data()), wiki.size()),
            0x11E60398u);
  EXPECT_EQ(backend::adler32(nullptr, 0), 1u);
}

TEST(Png, ReadsBackToTheSamePixelsWhateverTheSize) {
  struct Case {
    std::uint32_t width, height;
    std::size_t blocks;  // a stored block holds at most 65535 bytes
  };
  const Case cases[] = {{1, 1, 1},     {16, 16, 1},   {3, 7, 1},
                        {128, 127, 1}, {128, 128, 2}, {300, 200, 4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
    const auto rgba = pattern(c.width, c.height);
    const auto chunks = chunksOf(backend::encodePNG(c.width, c.height, rgba));
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].type, "IHDR");
    ASSERT_EQ(chunks[0].data.size(), 13u);
    EXPECT_EQ(bigEndian(chunks[0].data, 0), c.width);
    EXPECT_EQ(bigEndian(chunks[0].data, 4), c.height);
    EXPECT_EQ(chunks[0].data.substr(8), std::string("\x08\x06\x00\x00\x00", 5))
        << "8-bit RGBA, deflate, no interlace";
    EXPECT_EQ(chunks[1].type, "IDAT");
    EXPECT_EQ(chunks[2].type, "IEND");
    EXPECT_TRUE(chunks[2].data.empty());

    std::size_t blocks = 0;
    const std::string raw = inflateStored(chunks[1].data, &blocks);
    EXPECT_EQ(blocks, c.blocks);
    const std::size_t rowBytes = std::size_t{c.width} * 4;
    ASSERT_EQ(raw.size(), (rowBytes + 1) * c.height);
    std::vector<unsigned char> back;
    for (std::uint32_t y = 0; y < c.height; ++y) {
      EXPECT_EQ(raw[y * (rowBytes + 1)], 0) << "row " << y << " unfiltered";
      back.insert(back.end(), raw.begin() + static_cast<std::ptrdiff_t>(y * (rowBytes + 1) + 1),
                  raw.begin() + static_cast<std::ptrdiff_t>((y + 1) * (rowBytes + 1)));
    }
    EXPECT_EQ(back, rgba);
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
