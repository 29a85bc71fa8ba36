#include "backend/foreign_value_limits.h"

#include <algorithm>

namespace backend {

std::size_t ForeignValueBudget::takeEntries(std::size_t count) {
  std::size_t taken = std::min(count, entriesLeft_);
  entriesLeft_ -= taken;
  return taken;
}

std::size_t ForeignValueBudget::textAllowance() const {
  return std::min(kMaxForeignStringBytes, textLeft_);
}

void ForeignValueBudget::spendText(std::size_t bytes) { textLeft_ -= std::min(bytes, textLeft_); }

bool ForeignValueBudget::enterArray() {
  if (depth_ >= kMaxForeignNesting) return false;
  ++depth_;
  return true;
}

void ForeignValueBudget::leaveArray() {
  if (depth_ > 0) --depth_;
}

namespace {
bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The length of the sequence a lead byte starts; 0 for a byte that is no lead.
std::size_t sequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 0;
}
}  // namespace

std::size_t wholeUTF8Length(std::string_view text) {
  // Only the last sequence can be cut short: look back over at most three
  // continuation bytes for its lead byte.
  std::size_t n = text.size();
  std::size_t start = n;
  while (start > 0 && n - start < 4 && isContinuation(static_cast<unsigned char>(text[start - 1])))
    --start;
  if (start == 0 || n - start >= 4) return n;  // no lead byte in reach: not ours to judge
  std::size_t lead = start - 1;
  std::size_t needed = sequenceLength(static_cast<unsigned char>(text[lead]));
  if (needed == 0) return n;
  return n - lead < needed ? lead : n;
}

}  // namespace backend
