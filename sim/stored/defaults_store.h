// The user's defaults for the agent's domain. They outlive the agent's
// launches. In memory by default; attached to a file, they are loaded from
// it and saved to it atomically on every synchronize.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>

#include "backend/trace.h"
#include "platform/defaults.h"

namespace sim {

class DefaultsStore {
 public:
  explicit DefaultsStore(backend::Trace& trace) : trace_(trace) {}

  // Loads `path` if it exists. A damaged file is moved aside (never
  // overwritten), `report` says where, and the store starts empty; a path
  // that cannot be read is reported and never written. `report` also lists
  // the lines that a save will not keep as written (comments, repeated keys).
  void attachFile(const std::string& path, std::string* report);

  std::optional<platform::PrefValue> get(const std::string& key) const;
  const std::map<std::string, platform::PrefValue>& values() const { return values_; }
  // Writes without telling anyone (scenario set-up before launch).
  void preset(const std::string& key, platform::PrefValue value);
  // Writes, traces and tells the change listener.
  void set(const std::string& key, platform::PrefValue value);
  // Saves what changed since the last save (a file that holds every value
  // already is not written again), and traces that only when the file holds
  // them all (or there is none); false when the file could not be written.
  bool synchronize();
  // Saves what changed without tracing (when a process ends).
  bool saveIfChanged();
  // Saves now, changed or not.
  bool save();
  // The file's text as a save writes it.
  std::string contents() const;
  // False while the file given lacks changes made (a save failed, or the
  // file could not be used); true without a file.
  bool changesKept() const { return !unsaved_; }

  std::function<void(const std::string& key)> onChange;

 private:
  // Why the value cannot be kept (printed, and the write dropped), or nothing:
  // what is stored must load again, so keys are words, floats finite, texts
  // and the whole file within kMaxStoredText and kMaxStoredFileBytes.
  std::optional<std::string> refusal(const std::string& key,
                                     const platform::PrefValue& value) const;
  bool accept(const std::string& key, const platform::PrefValue& value);
  // Whether the value stored differs from what was there.
  bool store(const std::string& key, platform::PrefValue value);

  backend::Trace& trace_;
  std::map<std::string, platform::PrefValue> values_;
  std::size_t fileBytes_ = 0;  // the size of contents()
  bool fileGiven_ = false;
  std::optional<std::string> path_;  // where saves go; none when the file is refused
  bool unsaved_ = false;
  bool saveFailing_ = false;
};

}  // namespace sim
