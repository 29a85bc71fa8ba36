#include "backend/deflate.h"

#include <algorithm>
#include <array>
#include <vector>

namespace backend {

namespace {

constexpr std::size_t kWindow = 32768;  // the farthest a match may reach back
constexpr std::size_t kMinMatch = 3, kMaxMatch = 258;
// Candidates tried per position: the bound that keeps the work linear. The
// icon's repeats are found among the first few.
constexpr int kMaxChain = 32;
constexpr int kHashBits = 15;
// Each block is coded as it is cheapest; a stored block holds at most this.
constexpr std::size_t kBlockBytes = 65535;
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

constexpr std::array<std::uint16_t, 29> kLengthBase = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                       15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                       67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                       2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint16_t, 30> kDistanceBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<std::uint8_t, 30> kDistanceExtra = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                         4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                         9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

constexpr unsigned kEndOfBlock = 256;

// A literal (length 0) or a match of `length` bytes `distance` back.
struct Token {
  std::uint16_t length = 0, distance = 0;
  unsigned char literal = 0;
};

// A Huffman code as it is read: from its most significant bit.
struct Code {
  std::uint32_t bits;
  int length;
};

Code fixedLiteralCode(unsigned symbol) {
  if (symbol < 144) return {0x30 + symbol, 8};
  if (symbol < 256) return {0x190 + symbol - 144, 9};
  if (symbol < 280) return {symbol - 256, 7};
  return {0xC0 + symbol - 280, 8};
}

// The index of the range of `value` in a table of range starts.
template <std::size_t N>
std::size_t rangeOf(const std::array<std::uint16_t, N>& base, std::size_t value) {
  return static_cast<std::size_t>(std::upper_bound(base.begin(), base.end(), value) -
                                  base.begin()) -
         1;
}

// Bits into bytes, least significant first, as deflate packs them.
class BitWriter {
 public:
  explicit BitWriter(std::string* out) : out_(out) {}

  void put(std::uint32_t bits, int count) {
    buffer_ |= std::uint64_t{bits} << filled_;
    filled_ += count;
    for (; filled_ >= 8; filled_ -= 8, buffer_ >>= 8)
      out_->push_back(static_cast<char>(buffer_ & 0xFF));
  }
  void putCode(Code code) {
    std::uint32_t reversed = 0;
    for (int i = 0; i < code.length; ++i)
      reversed |= ((code.bits >> i) & 1) << (code.length - 1 - i);
    put(reversed, code.length);
  }
  void align() {
    if (filled_ > 0) put(0, 8 - filled_);
  }
  int pending() const { return filled_; }

 private:
  std::string* out_;
  std::uint64_t buffer_ = 0;
  int filled_ = 0;
};

// The earlier positions of each 3-byte prefix, newest first, as far back as
// the window reaches.
class Matcher {
 public:
  Matcher(const unsigned char* data, std::size_t size)
      : data_(data),
        size_(size),
        head_(std::size_t{1} << kHashBits, kNone),
        prev_(kWindow, kNone) {}

  // The longest match for the bytes at `at` that ends by `end`; length 0
  // when none is kMinMatch long.
  Token longestMatch(std::size_t at, std::size_t end) const {
    const std::size_t limit = std::min(kMaxMatch, end - at);
    if (limit < kMinMatch) return {};
    std::size_t best = 0, distance = 0;
    std::size_t candidate = head_[hash(at)];
    for (int tries = 0; candidate != kNone && at - candidate <= kWindow && tries < kMaxChain;
         ++tries) {
      std::size_t n = 0;
      while (n < limit && data_[candidate + n] == data_[at + n]) ++n;
      if (n > best) {
        best = n;
        distance = at - candidate;
        if (n == limit) break;
      }
      // A slot reused by a newer position would lead forward: stop there.
      const std::size_t next = prev_[candidate % kWindow];
      if (next == kNone || next >= candidate) break;
      candidate = next;
    }
    if (best < kMinMatch) return {};
    return {static_cast<std::uint16_t>(best), static_cast<std::uint16_t>(distance), 0};
  }

  void insert(std::size_t at) {
    if (at + kMinMatch > size_) return;
    const std::size_t h = hash(at);
    prev_[at % kWindow] = head_[h];
    head_[h] = at;
  }

 private:
  std::size_t hash(std::size_t at) const {
    const std::uint32_t v =
        std::uint32_t{data_[at]} << 16 | std::uint32_t{data_[at + 1]} << 8 | data_[at + 2];
    return (v * 2654435761u) >> (32 - kHashBits);
  }

  const unsigned char* data_;
  std::size_t size_;
  std::vector<std::size_t> head_, prev_;
};

// The bits of the tokens and the end of the block in fixed codes, written
// to `out` unless it is null (then only counted).
std::size_t fixedBits(const std::vector<Token>& tokens, BitWriter* out) {
  std::size_t bits = 0;
  auto code = [&](Code c) {
    bits += static_cast<std::size_t>(c.length);
    if (out) out->putCode(c);
  };
  auto extra = [&](std::uint32_t value, int count) {
    bits += static_cast<std::size_t>(count);
    if (out && count > 0) out->put(value, count);
  };
  for (const Token& t : tokens) {
    if (t.length == 0) {
      code(fixedLiteralCode(t.literal));
      continue;
    }
    const std::size_t l = rangeOf(kLengthBase, t.length);
    code(fixedLiteralCode(static_cast<unsigned>(257 + l)));
    extra(t.length - kLengthBase[l], kLengthExtra[l]);
    const std::size_t d = rangeOf(kDistanceBase, t.distance);
    code({static_cast<std::uint32_t>(d), 5});
    extra(t.distance - kDistanceBase[d], kDistanceExtra[d]);
  }
  code(fixedLiteralCode(kEndOfBlock));
  return bits;
}

}  // namespace

std::uint32_t adler32(const unsigned char* data, std::size_t size) {
  constexpr std::uint32_t kMod = 65521;
  std::uint32_t a = 1, b = 0;
  for (std::size_t i = 0; i < size; ++i) {
    a = (a + data[i]) % kMod;
    b = (b + a) % kMod;
  }
  return (b << 16) | a;
}

std::string zlibCompress(const unsigned char* data, std::size_t size) {
  std::string z;
  // Deflate with a 32 KiB window, no dictionary, fast compression; 0x785E is
  // a multiple of 31.
  z.push_back(static_cast<char>(0x78));
  z.push_back(static_cast<char>(0x5E));
  BitWriter out(&z);
  Matcher matcher(data, size);
  std::vector<Token> tokens;
  std::size_t begin = 0;
  do {
    const std::size_t end = std::min(size, begin + kBlockBytes);
    // Greedy matching; a match may reach back into earlier blocks but ends
    // within this one, so that the block can be stored instead.
    tokens.clear();
    for (std::size_t at = begin; at < end;) {
      Token t = matcher.longestMatch(at, end);
      if (t.length == 0) t.literal = data[at];
      const std::size_t step = t.length == 0 ? 1 : t.length;
      for (std::size_t i = 0; i < step; ++i) matcher.insert(at + i);
      tokens.push_back(t);
      at += step;
    }
    const bool last = end == size;
    const std::size_t storedBits =
        static_cast<std::size_t>(3 + (8 - (out.pending() + 3) % 8) % 8) + 32 + 8 * (end - begin);
    if (3 + fixedBits(tokens, nullptr) < storedBits) {
      out.put(last ? 1 : 0, 1);
      out.put(1, 2);  // fixed Huffman codes
      fixedBits(tokens, &out);
    } else {
      out.put(last ? 1 : 0, 1);
      out.put(0, 2);  // stored
      out.align();
      const auto n = static_cast<std::uint32_t>(end - begin);
      out.put(n | (~n & 0xFFFF) << 16, 32);
      z.append(reinterpret_cast<const char*>(data + begin), end - begin);
    }
    begin = end;
  } while (begin < size);
  out.align();
  const std::uint32_t check = adler32(data, size);
  for (int shift = 24; shift >= 0; shift -= 8)
    z.push_back(static_cast<char>((check >> shift) & 0xFF));
  return z;
}

}  // namespace backend
