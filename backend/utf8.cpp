#include "backend/utf8.h"

namespace backend {

namespace {

struct Lead {
  std::size_t length;        // of the whole sequence
  unsigned char secondLow;   // the second byte's range, which Table 3-7
  unsigned char secondHigh;  // narrows after E0, ED, F0 and F4
  char32_t bits;             // the lead byte's share of the code point
};

// The lead byte's row of Table 3-7; length 0 for a byte that leads nothing
// (80..C1, F5..FF).
Lead leadOf(unsigned char b) {
  if (b < 0x80) return {1, 0, 0, b};
  if (b < 0xC2) return {0, 0, 0, 0};
  if (b < 0xE0) return {2, 0x80, 0xBF, b & 0x1Fu};
  if (b == 0xE0) return {3, 0xA0, 0xBF, 0};
  if (b == 0xED) return {3, 0x80, 0x9F, 0xD};
  if (b < 0xF0) return {3, 0x80, 0xBF, b & 0x0Fu};
  if (b == 0xF0) return {4, 0x90, 0xBF, 0};
  if (b < 0xF4) return {4, 0x80, 0xBF, b & 0x07u};
  if (b == 0xF4) return {4, 0x80, 0x8F, 4};
  return {0, 0, 0, 0};
}

}  // namespace

UTF8Step nextUTF8(std::string_view text, std::size_t at) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  Lead lead = leadOf(byte(at));
  if (lead.length == 0) return {false, 1, 0};
  char32_t codePoint = lead.bits;
  std::size_t n = 1;
  for (; n < lead.length; ++n) {
    if (at + n >= text.size()) return {false, n, 0};  // cut short: one U+FFFD
    unsigned char b = byte(at + n);
    unsigned char low = n == 1 ? lead.secondLow : 0x80, high = n == 1 ? lead.secondHigh : 0xBF;
    if (b < low || b > high) return {false, n, 0};  // the subpart so far: one U+FFFD
    codePoint = (codePoint << 6) | (b & 0x3Fu);
  }
  return {true, n, codePoint};
}

bool isWellFormedUTF8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    auto step = nextUTF8(text, i);
    if (!step.wellFormed) return false;
    i += step.length;
  }
  return true;
}

std::string withReplacementCharacters(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    auto step = nextUTF8(text, i);
    if (step.wellFormed)
      out.append(text.substr(i, step.length));
    else
      out.append(kReplacementCharacter);
    i += step.length;
  }
  return out;
}

}  // namespace backend
