// Text that only grows, line by line, kept in immutable blocks that every
// reader shares: handing out the whole text costs a pointer a block and a
// copy of the last, open block (at most kBlockBytes), however long it is.
// Not synchronised: its owner locks.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sim::serve {

class SharedText {
 public:
  using Part = std::shared_ptr<const std::string>;
  static constexpr std::size_t kBlockBytes = 64u << 10;

  // Adds `line` and a newline.
  void appendLine(const std::string& line);
  std::size_t lineCount() const { return lineStart_.size(); }
  std::size_t bytes() const { return closedBytes_ + open_.size(); }
  // The whole text so far.
  std::vector<Part> parts() const;
  // At most `count` lines from line `from` on, without their newlines.
  std::vector<std::string> lines(std::size_t from, std::size_t count) const;

 private:
  void closeBlock();

  std::vector<Part> closed_;
  std::vector<std::uint64_t> blockStart_;  // where each closed block starts in the text
  std::uint64_t closedBytes_ = 0;
  std::string open_;
  std::vector<std::uint64_t> lineStart_;  // where each line starts; a line never spans blocks
};

}  // namespace sim::serve
