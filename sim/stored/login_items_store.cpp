#include "sim/stored/login_items_store.h"

#include <algorithm>
#include <iostream>
#include <unordered_map>

#include "sim/stored/stored_file.h"
#include "sim/stored/stored_text.h"
#include "sim/words/tokens.h"

namespace sim {

namespace {

std::size_t lineBytes(const std::string& url) { return storedQuotedBytes(url) + 1; }

// A URL as a message shows it: quoted, and cut when it is long.
std::string shownURL(const std::string& url) {
  return url.size() > 80 ? storedQuoted(url.substr(0, 80)) + "..." : storedQuoted(url);
}

std::string tooLarge() {
  return "the login-items file would grow past " + std::to_string(kMaxStoredFileBytes >> 20) +
         " MiB";
}

std::string tooLong() { return "a URL holds at most " + std::to_string(kMaxStoredText) + " bytes"; }

std::string tooMany() {
  return "the list holds at most " + std::to_string(kMaxLoginItems) + " login items";
}

}  // namespace

bool isOnUnmountedVolume(const std::string& url) { return url.rfind("file:///Volumes/", 0) == 0; }

std::optional<std::string> StoredLoginItem::copyResolvedURL(unsigned flags) const {
  if (isOnUnmountedVolume(url_) && (flags & platform::kLSSharedFileListDoNotMountVolumes))
    return std::nullopt;
  if (url_.rfind("file://", 0) != 0) return std::nullopt;  // not a file: nothing to resolve
  return url_;
}

LoginItemsStore::Entry LoginItemsStore::entry(std::uint64_t id, std::string url) {
  auto item = std::make_shared<const StoredLoginItem>(id, std::move(url));
  return {id, item->url(), item};
}

void LoginItemsStore::attachFile(const std::string& path, std::string* report) {
  std::vector<std::string> loaded;
  std::vector<int> lineOfLoaded;
  // Each URL's place in `loaded`: one table both finds repeats and, once
  // the file is taken, becomes the index of the list.
  std::unordered_map<std::string, std::uint64_t> indexOfURL;
  std::size_t bytes = 0;
  auto load = loadStoredFile(path, "login-items", "no login items",
                             [&](const std::vector<Token>& tokens, int line,
                                 std::string* note) -> std::optional<std::string> {
                               if (tokens.size() != 1 || !tokens[0].quoted)
                                 return "expected one \"URL\" a line";
                               const std::string& url = tokens[0].text;
                               if (url.size() > kMaxStoredText) return tooLong();
                               auto [known, fresh] = indexOfURL.try_emplace(url, loaded.size());
                               if (!fresh) {
                                 *note = shownURL(url) +
                                         " given again: the list holds it once, where line " +
                                         std::to_string(lineOfLoaded[known->second]) +
                                         " puts it; this line is dropped when the file is saved";
                                 return std::nullopt;
                               }
                               if (loaded.size() == kMaxLoginItems) return tooMany();
                               bytes += lineBytes(url);
                               if (bytes > kMaxStoredFileBytes) return tooLarge();
                               loaded.push_back(url);
                               lineOfLoaded.push_back(line);
                               return std::nullopt;
                             });
  *report = load.report;
  fileGiven_ = true;
  path_.reset();
  if (load.writable) path_ = load.savePath;
  unsaved_ = false;
  entries_.clear();
  idOfURL_.clear();
  fileBytes_ = 0;
  if (load.discarded) return;
  entries_.reserve(loaded.size());
  for (auto& url : loaded) entries_.push_back(entry(nextID_ + entries_.size(), std::move(url)));
  for (auto& [url, id] : indexOfURL) id += nextID_;
  nextID_ += entries_.size();
  idOfURL_ = std::move(indexOfURL);
  fileBytes_ = bytes;
}

std::vector<std::string> LoginItemsStore::urls() const {
  std::vector<std::string> out;
  for (const auto& e : entries_) out.emplace_back(e.url);
  return out;
}

bool LoginItemsStore::contains(std::uint64_t id) const {
  return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.id == id; });
}

std::shared_ptr<const StoredLoginItem> LoginItemsStore::item(std::uint64_t id) const {
  auto it =
      std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.id == id; });
  return it == entries_.end() ? nullptr : it->item;
}

bool LoginItemsStore::accept(const std::string& url) const {
  std::optional<std::string> why;
  bool known = idOfURL_.count(url);
  if (url.size() > kMaxStoredText)
    why = tooLong();
  else if (!known && entries_.size() >= kMaxLoginItems)
    why = tooMany();
  else if (!known && fileBytes_ + lineBytes(url) > kMaxStoredFileBytes)
    why = tooLarge();
  if (!why) return true;
  std::cerr << "vistrel-desktop: login item " << shownURL(url) << ": not stored (" << *why << ")\n";
  return false;
}

void LoginItemsStore::append(const std::string& url) {
  entries_.push_back(entry(nextID_++, url));
  idOfURL_.emplace(url, entries_.back().id);
  fileBytes_ += lineBytes(url);
}

void LoginItemsStore::preset(const std::string& url) {
  if (!idOfURL_.count(url) && accept(url)) append(url);
}

std::uint64_t LoginItemsStore::insert(platform::LoginItemPosition position,
                                      const std::string& url) {
  if (!accept(url)) return 0;
  auto [known, fresh] = idOfURL_.try_emplace(url, nextID_);
  Entry moved;
  if (fresh) {
    moved = entry(nextID_++, url);
    fileBytes_ += lineBytes(url);
  } else {
    // Moved, not added: it keeps its id (and its item).
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const Entry& e) { return e.id == known->second; });
    moved = std::move(*it);
    entries_.erase(it);
  }
  bool first = position == platform::LoginItemPosition::BeforeFirst;
  entries_.insert(first ? entries_.begin() : entries_.end(), moved);
  trace_.loginItemsInsert(url, first);
  changed();
  return moved.id;
}

bool LoginItemsStore::remove(std::uint64_t id) {
  auto it =
      std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.id == id; });
  if (it == entries_.end()) return false;
  std::string url(it->url);
  entries_.erase(it);
  idOfURL_.erase(url);
  fileBytes_ -= lineBytes(url);
  trace_.loginItemsRemove(url);
  changed();
  return true;
}

bool LoginItemsStore::removeURL(const std::string& url) {
  auto known = idOfURL_.find(url);
  return known != idOfURL_.end() && remove(known->second);
}

void LoginItemsStore::changed() {
  if (fileGiven_) unsaved_ = true;
  if (saveClock_)
    saveIfDue();
  else
    save();
  if (onChange) onChange();
}

void LoginItemsStore::coalesceSaves(std::int64_t interval, SaveClock clock) {
  saveInterval_ = interval;
  saveClock_ = std::move(clock);
}

bool LoginItemsStore::save() {
  if (!fileGiven_) return true;
  if (!path_) return false;  // refused when it was loaded, and reported then
  if (saveClock_) lastSave_ = saveClock_();
  unsaved_ = !saveStoredFile(*path_, contents(), &saveFailing_);
  return !unsaved_;
}

void LoginItemsStore::saveIfDue() {
  if (!unsaved_ || !path_) return;
  // A failed save waits its interval too, so a stuck file is not retried
  // at every change.
  if (saveClock_ && lastSave_ && saveClock_() - *lastSave_ < saveInterval_) return;
  save();
}

void LoginItemsStore::saveIfBehind() {
  if (unsaved_ && path_) save();
}

std::string LoginItemsStore::contents() const {
  std::string text;
  text.reserve(fileBytes_);
  for (const auto& e : entries_) text.append(storedQuoted(e.item->url())).push_back('\n');
  return text;
}

}  // namespace sim
