// The user's login-items list. It outlives the agent's launches. In memory by
// default; attached to a file, it is loaded from it and saved to it
// atomically after every change, or at most once an interval when the owner
// asks for that (coalesceSaves), so that a flood of changes to a large file
// does not rewrite it at each one.
//
// It holds at most kMaxLoginItems entries, whoever adds them (a scenario's
// set-up, another program, the agent, the file). Each entry is an immutable
// item shared with every snapshot taken of the list: a snapshot costs a
// pointer an entry, not a copy of each URL.
//
// The list holds each URL once, in order: inserting a URL that is already
// there moves that entry. An entry under file:///Volumes/ lies on a volume
// that is not mounted: it resolves only when mounting is allowed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "backend/trace.h"
#include "platform/login_items.h"

namespace sim {

// At most this many entries, from every source together (README.md).
inline constexpr std::size_t kMaxLoginItems = 1000;

// One entry as the agent sees it. It never changes, so snapshots share it.
class StoredLoginItem final : public platform::LoginItem {
 public:
  StoredLoginItem(std::uint64_t id, std::string url) : id_(id), url_(std::move(url)) {}
  std::optional<std::string> copyResolvedURL(unsigned flags) const override;
  std::uint64_t id() const { return id_; }
  const std::string& url() const { return url_; }

 private:
  std::uint64_t id_;
  std::string url_;
};

class LoginItemsStore {
 public:
  struct Entry {
    std::uint64_t id = 0;
    std::string_view url;  // the item's own
    std::shared_ptr<const StoredLoginItem> item;
  };
  // A clock in nanoseconds for coalesced saves (any origin).
  using SaveClock = std::function<std::int64_t()>;

  explicit LoginItemsStore(backend::Trace& trace) : trace_(trace) {}

  // Loads `path` if it exists. A damaged file is moved aside (never
  // overwritten), `report` says where, and the list starts empty. `report`
  // also lists the lines a save will not keep (comments, repeated URLs).
  void attachFile(const std::string& path, std::string* report);

  const std::vector<Entry>& entries() const { return entries_; }
  std::vector<std::string> urls() const;
  bool contains(std::uint64_t id) const;
  // The entry's item; null when it is no longer there.
  std::shared_ptr<const StoredLoginItem> item(std::uint64_t id) const;

  // Appends without telling anyone (scenario set-up before launch).
  void preset(const std::string& url);
  // Inserts (or moves) the URL, traces, saves and announces the change. The
  // entry's id; 0 when the URL cannot be kept (reported on standard error).
  std::uint64_t insert(platform::LoginItemPosition position, const std::string& url);
  // Removes one entry; false when it is no longer there.
  bool remove(std::uint64_t id);
  // Removes the entry with that URL, if any (another program's edit).
  bool removeURL(const std::string& url);

  // The file's text as a save writes it.
  std::string contents() const;
  // From now on a change saves at once only when `interval` has passed
  // since the last save by `clock`; otherwise it waits for saveIfDue() or
  // saveIfBehind().
  void coalesceSaves(std::int64_t interval, SaveClock clock);
  // Saves now; false when the file could not be written.
  bool save();
  // Saves a change that waits, once the interval has passed.
  void saveIfDue();
  // Saves whatever the file lacks: a change that waits, or one whose save
  // failed (at the end of a run).
  void saveIfBehind();
  // False while the file given lacks changes made (a save failed, or the
  // file could not be used); true without a file.
  bool changesKept() const { return !unsaved_; }

  // Told after every change, whoever made it.
  std::function<void()> onChange;

 private:
  // Whether the URL can be kept: what is stored must load again, so a URL
  // and the whole file stay within kMaxStoredText and kMaxStoredFileBytes.
  bool accept(const std::string& url) const;
  void append(const std::string& url);
  void changed();
  Entry entry(std::uint64_t id, std::string url);

  backend::Trace& trace_;
  std::vector<Entry> entries_;
  // The id of each URL of entries_: repeats are found at once, not by a
  // search of the list (which made loading a long file quadratic).
  std::unordered_map<std::string, std::uint64_t> idOfURL_;
  std::size_t fileBytes_ = 0;  // the size of contents()
  std::uint64_t nextID_ = 1;
  bool fileGiven_ = false;
  std::optional<std::string> path_;  // where saves go; none when the file is refused
  bool unsaved_ = false;
  bool saveFailing_ = false;
  std::int64_t saveInterval_ = 0;
  SaveClock saveClock_;
  std::optional<std::int64_t> lastSave_;
};

// Whether resolving the URL needs a volume that is not mounted.
bool isOnUnmountedVolume(const std::string& url);

}  // namespace sim
