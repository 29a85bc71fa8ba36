// Files the simulated desktop keeps for the user (defaults, login items):
// read line by line, written atomically, and never written over when they
// are damaged or cannot be read.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sim/tokens.h"

namespace sim {

struct StoredFileLoad {
  bool writable = true;  // false: leave the path alone from now on
  std::string report;    // what went wrong, for standard error; empty when all is well
};

// Reads `path` if it exists, handing each non-blank line's tokens to
// `parseLine`, which answers an error message or nothing. A missing file is
// fine (it is created on the first save). A damaged file is moved aside; a
// path that is not a readable regular file is reported and never written.
// `what` names the file ("defaults"), `startState` what the run starts with.
StoredFileLoad loadStoredFile(
    const std::string& path, const std::string& what, const std::string& startState,
    const std::function<std::optional<std::string>(const std::vector<Token>&)>& parseLine);

// Writes `contents` to `path` through a temporary file and a rename, so that
// a crash leaves either the old file or the new one.
bool writeFileAtomically(const std::string& path, const std::string& contents);

// Saves a stored file; the first failure is reported on standard error
// (`reported` remembers it), so that a lost change never goes unnoticed.
bool saveStoredFile(const std::string& path, const std::string& contents, bool* reported);
// Renames a damaged file to a free "PATH.damaged[.N]" name; the new name.
std::optional<std::string> moveAside(const std::string& path);

}  // namespace sim
