// The deflate compressor, read back by the tests' own inflater
// (tests/backend/png_reader.h): every input comes back whole, repeats become
// matches up to the limits of length and distance, and incompressible
// bytes are stored rather than grown.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "backend/deflate.h"
#include "tests/backend/png_reader.h"

namespace {

using png_reader::Inflated;
using png_reader::Match;

std::string compress(const std::string& s) {
  return backend::zlibCompress(reinterpret_cast<const unsigned char*>(s.data()), s.size());
}

// Bytes below 144, which fixed codes spend 8 bits on, as stored blocks do:
// such text is never stored, so its matches show.
std::string lowBytes(std::size_t n, std::uint32_t seed) {
  std::mt19937 g(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(g() % 144);
  return s;
}

std::string anyBytes(std::size_t n, std::uint32_t seed) {
  std::mt19937 g(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(g() & 0xFF);
  return s;
}

std::string times(const std::string& s, std::size_t n) {
  std::string out;
  for (std::size_t i = 0; i < n; ++i) out += s;
  return out;
}

std::size_t longest(const std::vector<Match>& m) {
  std::size_t v = 0;
  for (const auto& x : m) v = std::max(v, x.length);
  return v;
}
std::size_t shortest(const std::vector<Match>& m) {
  std::size_t v = m.empty() ? 0 : m[0].length;
  for (const auto& x : m) v = std::min(v, x.length);
  return v;
}
std::size_t farthest(const std::vector<Match>& m) {
  std::size_t v = 0;
  for (const auto& x : m) v = std::max(v, x.distance);
  return v;
}

TEST(Deflate, AdlerMatchesItsPublishedCheckValues) {
  const std::string wiki = "Wikipedia";
  EXPECT_EQ(backend::adler32(reinterpret_cast<const unsigned char*>(wiki.data()), wiki.size()),
            0x11E60398u);
  EXPECT_EQ(backend::adler32(nullptr, 0), 1u);
  // The sums wrap at 65521: a million 0xFF bytes.
  const std::string ff(1000000, '\xFF');
  EXPECT_EQ(backend::adler32(reinterpret_cast<const unsigned char*>(ff.data()), ff.size()),
            0x3843E1BEu);
}

TEST(Deflate, EveryInputComesBackWhole) {
  const std::string text = "the spread of three windows above a Dock shelf; ";
  const std::string zeros(65535, '\0');  // a block's worth
  // A repeat placed exactly at the window's edge, and one byte beyond it,
  // after filler that shares no byte with it.
  auto withFiller = [](std::size_t distance) {
    std::string copy = lowBytes(300, 11);
    for (char& c : copy) c = static_cast<char>(static_cast<unsigned char>(c) % 100 + 30);
    std::string filler;
    for (std::size_t i = 0; filler.size() < distance - copy.size(); ++i)
      filler.push_back(static_cast<char>(i % 26));
    return copy + filler + copy;
  };
  struct Case {
    const char* name;
    std::string input;
    std::vector<int> blocks;  // 0 stored, 1 fixed codes
    std::size_t maxBytes;     // of the whole stream
    // Of its matches, 0 for none; the shortest is often what is left at the
    // end of a block or of a repeat.
    std::size_t shortest, longest, farthest;
  };
  const Case cases[] = {
      {"empty", "", {1}, 8, 0, 0, 0},
      {"one byte", "a", {1}, 9, 0, 0, 0},
      {"too short to repeat", "aa", {1}, 10, 0, 0, 0},
      {"the shortest match", "abcabc", {1}, 12, 3, 3, 3},
      {"a run of the longest match", std::string(259, 'x'), {1}, 10, 258, 258, 1},
      {"a run one past it", std::string(262, 'x'), {1}, 12, 3, 258, 1},
      {"a long run over two blocks", std::string(100000, 'x'), {1, 1}, 1000, 151, 258, 1},
      {"text repeated over three blocks", times(text, 4000), {1, 1, 1}, 2000, 3, 258, 48},
      {"random bytes are stored", anyBytes(100000, 1), {0, 0}, 100000 + 6 + 2 * 5, 0, 0, 0},
      {"random then zeros", anyBytes(65535, 2) + zeros, {0, 1}, 66000, 258, 258, 1},
      {"zeros then random", zeros + anyBytes(1000, 3), {1, 0}, 1500, 258, 258, 1},
      {"a repeat at the farthest distance", withFiller(32768), {1}, 3000, 42, 258, 32768},
      {"a repeat one beyond it", withFiller(32769), {1}, 3000, 193, 258, 26},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string z = compress(c.input);
    const Inflated back = png_reader::inflateZlib(z);
    ASSERT_EQ(back.fault, "");
    EXPECT_TRUE(back.bytes == c.input) << "inflated " << back.bytes.size() << " bytes";
    EXPECT_EQ(back.blockTypes, c.blocks);
    EXPECT_LE(z.size(), c.maxBytes);
    EXPECT_EQ(shortest(back.matches), c.shortest);
    EXPECT_EQ(longest(back.matches), c.longest);
    EXPECT_EQ(farthest(back.matches), c.farthest);
  }
}

// Each length and distance at the edges of the ranges their codes share:
// a copy of the first `distance` bytes, `length` long, then a byte that
// ends it, comes back as that one match.
TEST(Deflate, EachLengthAndDistanceAtTheEdgesOfItsCode) {
  const std::size_t lengths[] = {3,  4,  10, 11,  12,  13,  18,  19,  34,
                                 35, 66, 67, 130, 131, 226, 227, 257, 258};
  const std::size_t distances[] = {1,    2,    3,    4,     5,     6,     7,     8,
                                   9,    12,   13,   24,    25,    1024,  1025,  1536,
                                   1537, 4096, 4097, 16384, 16385, 24577, 32767, 32768};
  std::vector<Match> wanted;
  for (std::size_t d : distances) wanted.insert(wanted.end(), {{3, d}, {258, d}});
  for (std::size_t l : lengths) wanted.insert(wanted.end(), {{l, 1}, {l, 32768}});
  for (const Match& m : wanted) {
    SCOPED_TRACE("length " + std::to_string(m.length) + ", distance " + std::to_string(m.distance));
    std::string input = lowBytes(m.distance, static_cast<std::uint32_t>(m.distance));
    for (std::size_t i = 0; i < m.length; ++i) input.push_back(input[i]);
    input.push_back('\xC8');  // a byte the first part never holds
    const Inflated back = png_reader::inflateZlib(compress(input));
    ASSERT_EQ(back.fault, "");
    EXPECT_TRUE(back.bytes == input);
    ASSERT_FALSE(back.matches.empty());
    EXPECT_EQ(back.matches.back().length, m.length);
    EXPECT_EQ(back.matches.back().distance, m.distance);
  }
}

}  // namespace
