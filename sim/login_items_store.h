// The user's login-items list. It outlives the agent's launches. In memory by
// default; attached to a file, it is loaded from it and saved to it
// atomically after every change.
//
// The list holds each URL once, in order: inserting a URL that is already
// there moves that entry. An entry under file:///Volumes/ lies on a volume
// that is not mounted: it resolves only when mounting is allowed.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/login_items.h"
#include "sim/trace.h"

namespace sim {

class LoginItemsStore {
 public:
  struct Entry {
    std::uint64_t id;
    std::string url;
  };

  explicit LoginItemsStore(Trace& trace) : trace_(trace) {}

  // Loads `path` if it exists. A damaged file is moved aside (never
  // overwritten), `report` says where, and the list starts empty.
  void attachFile(const std::string& path, std::string* report);

  const std::vector<Entry>& entries() const { return entries_; }
  std::vector<std::string> urls() const;
  bool contains(std::uint64_t id) const;

  // Appends without telling anyone (scenario set-up before launch).
  void preset(const std::string& url);
  // Inserts (or moves) the URL, traces, saves and announces the change.
  std::uint64_t insert(platform::LoginItemPosition position, const std::string& url);
  // Removes one entry; false when it is no longer there.
  bool remove(std::uint64_t id);
  // Removes the entry with that URL, if any (another program's edit).
  bool removeURL(const std::string& url);

  // Told after every change, whoever made it.
  std::function<void()> onChange;

 private:
  void changed();
  bool save();

  Trace& trace_;
  std::vector<Entry> entries_;
  std::uint64_t nextID_ = 1;
  std::optional<std::string> path_;
  bool saveFailureReported_ = false;
};

// Whether resolving the URL needs a volume that is not mounted.
bool isOnUnmountedVolume(const std::string& url);

}  // namespace sim
