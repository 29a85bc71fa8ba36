// Files the simulated desktop keeps for the user (defaults, login items):
// read line by line, written atomically, and never written over when they
// are damaged or cannot be read.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sim/words/tokens.h"

namespace sim {

struct StoredFileLoad {
  bool writable = true;  // false: leave the path alone from now on
  // For standard error, one `PATH:LINE: …` message a line: what went wrong,
  // or what of the file a save will not keep; empty when all is well.
  std::string report;
  bool discarded = false;  // nothing of the file was taken (report says why)
  // Where saves go: the path given, or the file its link named when that was
  // moved aside (the link points at nothing until the first save refills it).
  std::string savePath;
};

// What a store makes of one line's tokens: an error message (the file is
// damaged) or nothing; it sets `note` when a save will not keep the line as
// it is (a key given again, say).
using StoredLineParser = std::function<std::optional<std::string>(const std::vector<Token>&,
                                                                  int line, std::string* note)>;

// Reads `path` if it exists, handing each non-blank line to `parseLine`. A
// missing file is fine (it is created on the first save); a link is read
// through. A damaged file is moved aside; a path that is not a readable
// regular file (a dangling link, a folder, a file over kMaxStoredFileBytes)
// is reported and never written. `what` names the file ("defaults"),
// `startState` what the run starts with.
StoredFileLoad loadStoredFile(const std::string& path, const std::string& what,
                              const std::string& startState, const StoredLineParser& parseLine);

// Saves a stored file atomically. A failure is reported on standard error
// when it follows a success (`failing` remembers the state), so that a lost
// change never goes unnoticed and a stuck file does not flood the output.
bool saveStoredFile(const std::string& path, const std::string& contents, bool* failing);
// Renames a damaged file to a free "PATH.damaged[.N]" name, never over an
// existing file; the new name.
std::optional<std::string> moveAside(const std::string& path);
// Prints a load's report on standard error, each line as the program's own.
void printStoredFileReport(const std::string& report);

}  // namespace sim
