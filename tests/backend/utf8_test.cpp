// UTF-8 as Unicode's Table 3-7 defines it, checked over every lead and
// second byte and the boundaries of the bytes after them; each ill-formed
// maximal subpart becomes one U+FFFD, as the page's JSON writer does it.
#include "backend/utf8.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#if __has_include(<nlohmann/json.hpp>)
#include <nlohmann/json.hpp>
#define VISTREL_HAS_JSON 1
#endif

namespace {

using backend::isWellFormedUTF8;
using backend::nextUTF8;
using backend::withReplacementCharacters;

// Table 3-7, row by row: the range of each byte of a well-formed sequence.
struct Row {
  std::vector<std::array<unsigned char, 2>> bytes;
};
const std::vector<Row> kTable = {
    {{{0x00, 0x7F}}},
    {{{0xC2, 0xDF}, {0x80, 0xBF}}},
    {{{0xE0, 0xE0}, {0xA0, 0xBF}, {0x80, 0xBF}}},
    {{{0xE1, 0xEC}, {0x80, 0xBF}, {0x80, 0xBF}}},
    {{{0xED, 0xED}, {0x80, 0x9F}, {0x80, 0xBF}}},
    {{{0xEE, 0xEF}, {0x80, 0xBF}, {0x80, 0xBF}}},
    {{{0xF0, 0xF0}, {0x90, 0xBF}, {0x80, 0xBF}, {0x80, 0xBF}}},
    {{{0xF1, 0xF3}, {0x80, 0xBF}, {0x80, 0xBF}, {0x80, 0xBF}}},
    {{{0xF4, 0xF4}, {0x80, 0x8F}, {0x80, 0xBF}, {0x80, 0xBF}}},
};

// What the table says of the bytes at the start of `s`: the length of the
// well-formed sequence there, or, when there is none, the length of the
// longest prefix of one (the maximal subpart, at least 1), negated.
int byTheTable(const std::string& s) {
  auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  for (const auto& row : kTable) {
    if (b(0) < row.bytes[0][0] || b(0) > row.bytes[0][1]) continue;
    std::size_t n = 1;
    while (n < row.bytes.size() && n < s.size() && b(n) >= row.bytes[n][0] &&
           b(n) <= row.bytes[n][1])
      ++n;
    return n == row.bytes.size() ? static_cast<int>(n) : -static_cast<int>(n);
  }
  return -1;
}

// Where a continuation byte's range (80..BF) begins and ends.
const std::vector<unsigned char> kBoundaries = {0x7F, 0x80, 0xBF, 0xC0};
const std::vector<unsigned char> kOne = {0x80};

TEST(UTF8, EveryLeadAndSecondByteAgreesWithTheTable) {
  std::string s(4, '\0');
  for (int b0 = 0; b0 < 256; ++b0)
    for (int b1 = 0; b1 < 256; ++b1)
      // The third and fourth bytes matter only after a lead of three or four.
      for (unsigned char b2 : b0 >= 0xE0 ? kBoundaries : kOne)
        for (unsigned char b3 : b0 >= 0xF0 ? kBoundaries : kOne)
          for (std::size_t size = 2; size <= 4; ++size) {
            s.assign({static_cast<char>(b0), static_cast<char>(b1), static_cast<char>(b2),
                      static_cast<char>(b3)});
            s.resize(size);
            auto step = nextUTF8(s, 0);
            int got =
                step.wellFormed ? static_cast<int>(step.length) : -static_cast<int>(step.length);
            if (got != byTheTable(s)) {
              ADD_FAILURE() << std::hex << b0 << " " << b1 << " " << int(b2) << " " << int(b3)
                            << " / " << size << ": " << std::dec << got;
              return;
            }
          }
}

std::string encode(char32_t c) {
  std::string s;
  if (c < 0x80) {
    s += static_cast<char>(c);
  } else if (c < 0x800) {
    s += static_cast<char>(0xC0 | (c >> 6));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    s += static_cast<char>(0xE0 | (c >> 12));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (c >> 18));
    s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  }
  return s;
}

TEST(UTF8, EveryScalarValueDecodesAndNoSurrogateDoes) {
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    std::string s = encode(c);
    auto step = nextUTF8(s, 0);
    bool surrogate = c >= 0xD800 && c <= 0xDFFF;
    ASSERT_EQ(step.wellFormed, !surrogate) << std::hex << static_cast<unsigned>(c);
    if (!surrogate) {
      ASSERT_EQ(step.codePoint, c);
      ASSERT_EQ(step.length, s.size());
    }
  }
}

TEST(UTF8, IllFormedPartsBecomeOneReplacementEach) {
  const std::string r(backend::kReplacementCharacter);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"\xC0\xAF", r + r},                  // an overlong '/'
      {"\xE0\x80\xAF", r + r + r},          // overlong in three bytes
      {"\xED\xA0\x80", r + r + r},          // a surrogate
      {"\xF4\x90\x80\x80", r + r + r + r},  // above U+10FFFF
      {"\xF5\x80", r + r},                  // no lead at all
      {"\xE1\x80"
       "A",
       r + "A"},                                 // cut short, then ASCII
      {"a\xF0\x9F\x98", "a" + r},                // cut short at the end
      {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},  // U+1F600 stays
      {"\xEF\xBF\xBF", "\xEF\xBF\xBF"},          // U+FFFF is well-formed UTF-8
  };
  for (const auto& [in, out] : cases) {
    EXPECT_EQ(withReplacementCharacters(in), out);
    EXPECT_EQ(isWellFormedUTF8(in), in == out);
    EXPECT_TRUE(isWellFormedUTF8(withReplacementCharacters(in)));
  }
}

#ifdef VISTREL_HAS_JSON
// The page's answers are written by nlohmann-json, which replaces as we do:
// the picture and the answers show the same text for the same bytes.
TEST(UTF8, ThePagesJSONWriterReplacesTheSameParts) {
  std::vector<unsigned char> bytes = {0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF,
                                      0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xE1, 0xEC, 0xED,
                                      0xEE, 0xEF, 0xF0, 0xF1, 0xF3, 0xF4, 0xF5, 0xFF};
  for (unsigned char a : bytes)
    for (unsigned char b : bytes)
      for (unsigned char c : bytes)
        for (const char* tail : {"", "\x80",
                                 "\xBF"
                                 "A"}) {
          std::string s{static_cast<char>(a), static_cast<char>(b), static_cast<char>(c)};
          s += tail;
          std::string json =
              nlohmann::json(s).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
          ASSERT_EQ(json, "\"" + withReplacementCharacters(s) + "\"")
              << std::hex << int(a) << " " << int(b) << " " << int(c) << " + " << tail;
        }
}
#endif

}  // namespace
