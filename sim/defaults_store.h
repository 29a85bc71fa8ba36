// The user's defaults for the agent's domain. They outlive the agent's
// launches. In memory by default; attached to a file, they are loaded from
// it and saved to it atomically on every synchronize.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>

#include "platform/defaults.h"
#include "sim/trace.h"

namespace sim {

class DefaultsStore {
 public:
  explicit DefaultsStore(Trace& trace) : trace_(trace) {}

  // Loads `path` if it exists. A damaged file is moved aside (never
  // overwritten), `report` says where, and the store starts empty.
  void attachFile(const std::string& path, std::string* report);

  std::optional<platform::PrefValue> get(const std::string& key) const;
  // Writes without telling anyone (scenario set-up before launch).
  void preset(const std::string& key, platform::PrefValue value);
  // Writes, traces and tells the change listener.
  void set(const std::string& key, platform::PrefValue value);
  // Traces and saves; false when the file could not be written.
  bool synchronize();
  // Saves without tracing (when a process ends).
  bool save();

  std::function<void(const std::string& key)> onChange;

 private:
  Trace& trace_;
  std::map<std::string, platform::PrefValue> values_;
  std::optional<std::string> path_;
};

// Writes `contents` to `path` through a temporary file and a rename, so that
// a crash leaves either the old file or the new one.
bool writeFileAtomically(const std::string& path, const std::string& contents);
// Renames a damaged file to a free "PATH.damaged[.N]" name; the new name.
std::optional<std::string> moveAside(const std::string& path);

}  // namespace sim
