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
  // overwritten), `report` says where, and the store starts empty; a path
  // that cannot be read is reported and never written.
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
  bool saveFailureReported_ = false;
};

}  // namespace sim
