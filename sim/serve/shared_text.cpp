#include "sim/serve/shared_text.h"

#include <algorithm>

namespace sim::serve {

void SharedText::closeBlock() {
  blockStart_.push_back(closedBytes_);
  closedBytes_ += open_.size();
  closed_.push_back(std::make_shared<const std::string>(std::move(open_)));
  open_.clear();
}

void SharedText::appendLine(const std::string& line) {
  if (!open_.empty() && open_.size() + line.size() + 1 > kBlockBytes) closeBlock();
  lineStart_.push_back(bytes());
  open_ += line;
  open_ += '\n';
}

std::vector<SharedText::Part> SharedText::parts() const {
  std::vector<Part> out = closed_;
  if (!open_.empty()) out.push_back(std::make_shared<const std::string>(open_));
  return out;
}

std::vector<std::string> SharedText::lines(std::size_t from, std::size_t count) const {
  std::vector<std::string> out;
  std::size_t end = std::min(lineStart_.size(), from + std::min(count, lineStart_.size()));
  for (std::size_t i = from; i < end; ++i) {
    std::uint64_t start = lineStart_[i];
    const std::string* block = &open_;
    std::uint64_t base = closedBytes_;
    if (start < closedBytes_) {
      auto b = std::upper_bound(blockStart_.begin(), blockStart_.end(), start) - 1;
      block = closed_[static_cast<std::size_t>(b - blockStart_.begin())].get();
      base = *b;
    }
    auto offset = static_cast<std::size_t>(start - base);
    std::size_t newline = block->find('\n', offset);
    out.emplace_back(*block, offset, newline - offset);
  }
  return out;
}

}  // namespace sim::serve
