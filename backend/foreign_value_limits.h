// Bounds on values that come from other processes (Accessibility attribute
// values, login-item lists). Another process can hand over anything: a title
// of a gigabyte, an array of millions of children, arrays nested without end.
// Converting one value draws on one allowance, shared by every array and
// string inside it, so the work and memory of a conversion stay bounded
// whatever the other side sends. What lies beyond the allowance is cut off:
// arrays keep their first entries, strings their first characters, and an
// array nested too deep is left out.
#pragma once

#include <cstddef>
#include <string_view>

namespace backend {

// Characters of one string, as UTF-8 bytes.
inline constexpr std::size_t kMaxForeignStringBytes = std::size_t{1} << 20;
// Text of all strings in one value together.
inline constexpr std::size_t kMaxForeignTextBytes = std::size_t{8} << 20;
// Entries of all arrays in one value together.
inline constexpr std::size_t kMaxForeignArrayEntries = 100000;
// Arrays inside arrays.
inline constexpr int kMaxForeignNesting = 16;

class ForeignValueBudget {
 public:
  // How many of an array's `count` entries may be converted; they are taken
  // from what is left.
  std::size_t takeEntries(std::size_t count);
  // The most UTF-8 bytes the next string may keep.
  std::size_t textAllowance() const;
  // Records the bytes a string kept (at most textAllowance()).
  void spendText(std::size_t bytes);
  // Enters an array; false, and nothing entered, when that would nest
  // arrays deeper than kMaxForeignNesting.
  bool enterArray();
  void leaveArray();

 private:
  std::size_t entriesLeft_ = kMaxForeignArrayEntries;
  std::size_t textLeft_ = kMaxForeignTextBytes;
  int depth_ = 0;
};

// The length of the longest prefix of `text` that does not end inside a
// multi-byte UTF-8 sequence: what a byte limit may keep of a UTF-8 string.
std::size_t wholeUTF8Length(std::string_view text);

}  // namespace backend
