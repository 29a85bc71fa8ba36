// Writing a whole file so that a crash, or another program saving the same
// file at the same moment, leaves either the old contents or the new.
#pragma once

#include <optional>
#include <string>

namespace sim {

// Where a save of `path` lands: the path itself when nothing is there yet
// or it is a regular file; what it finally names when it is a symbolic link
// (the link stays). An error message when there is no such place: a link to
// nothing, a link loop, a path that is not a regular file.
std::optional<std::string> saveTarget(const std::string& path, std::string* error);

// Writes `contents` to `path` (through its link, if it is one): a temporary
// file of its own, created exclusively beside the target and never one that
// was already there, is written, flushed to disk and renamed over the target.
// The target keeps its permissions. Returns why it failed, or nothing.
std::optional<std::string> writeFileAtomically(const std::string& path,
                                               const std::string& contents);

}  // namespace sim
