// Whether two paths name one file, however they are spelt: the files kept
// for the user must not share a file, or each save would destroy the other.
#pragma once

#include <string>

namespace sim {

// True when both paths reach the same file: the same device and inode for a
// file that exists (through links and hard links alike), the same resolved
// path for one that does not exist yet (a dangling link counts as the path
// it points to).
bool nameTheSameFile(const std::string& a, const std::string& b);

}  // namespace sim
