#include "sim/login_items_store.h"

#include <algorithm>
#include <iostream>
#include <unordered_map>

#include "sim/stored_file.h"
#include "sim/stored_text.h"
#include "sim/tokens.h"

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

}  // namespace

bool isOnUnmountedVolume(const std::string& url) { return url.rfind("file:///Volumes/", 0) == 0; }

void LoginItemsStore::attachFile(const std::string& path, std::string* report) {
  std::vector<std::string> loaded;
  std::unordered_map<std::string, int> firstLine;
  std::size_t bytes = 0;
  auto load = loadStoredFile(path, "login-items", "no login items",
                             [&](const std::vector<Token>& tokens, int line,
                                 std::string* note) -> std::optional<std::string> {
                               if (tokens.size() != 1 || !tokens[0].quoted)
                                 return "expected one \"URL\" a line";
                               const std::string& url = tokens[0].text;
                               if (url.size() > kMaxStoredText) return tooLong();
                               auto [first, fresh] = firstLine.try_emplace(url, line);
                               if (!fresh) {
                                 *note = shownURL(url) +
                                         " given again: the list holds it once, where line " +
                                         std::to_string(first->second) +
                                         " puts it; this line is dropped when the file is saved";
                                 return std::nullopt;
                               }
                               bytes += lineBytes(url);
                               if (bytes > kMaxStoredFileBytes) return tooLarge();
                               loaded.push_back(url);
                               return std::nullopt;
                             });
  *report = load.report;
  fileGiven_ = true;
  path_.reset();
  if (load.writable) path_ = load.savePath;
  unsaved_ = false;
  entries_.clear();
  urls_.clear();
  fileBytes_ = 0;
  if (!load.discarded)
    for (auto& url : loaded) append(url);
}

std::vector<std::string> LoginItemsStore::urls() const {
  std::vector<std::string> out;
  for (const auto& e : entries_) out.push_back(e.url);
  return out;
}

bool LoginItemsStore::contains(std::uint64_t id) const {
  return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.id == id; });
}

bool LoginItemsStore::accept(const std::string& url) const {
  std::optional<std::string> why;
  if (url.size() > kMaxStoredText)
    why = tooLong();
  else if (!urls_.count(url) && fileBytes_ + lineBytes(url) > kMaxStoredFileBytes)
    why = tooLarge();
  if (!why) return true;
  std::cerr << "vistrel-desktop: login item " << shownURL(url) << ": not stored (" << *why << ")\n";
  return false;
}

void LoginItemsStore::append(const std::string& url) {
  entries_.push_back({nextID_++, url});
  urls_.insert(url);
  fileBytes_ += lineBytes(url);
}

void LoginItemsStore::preset(const std::string& url) {
  if (!urls_.count(url) && accept(url)) append(url);
}

std::uint64_t LoginItemsStore::insert(platform::LoginItemPosition position,
                                      const std::string& url) {
  if (!accept(url)) return 0;
  Entry entry{nextID_++, url};
  if (urls_.count(url)) {
    auto existing = std::find_if(entries_.begin(), entries_.end(),
                                 [&](const Entry& e) { return e.url == url; });
    entry.id = existing->id;
    entries_.erase(existing);
  } else {
    urls_.insert(url);
    fileBytes_ += lineBytes(url);
  }
  bool first = position == platform::LoginItemPosition::BeforeFirst;
  entries_.insert(first ? entries_.begin() : entries_.end(), entry);
  trace_.emit(Event::LoginitemsInsert, quoted(url) + (first ? " first" : " last"));
  changed();
  return entry.id;
}

bool LoginItemsStore::remove(std::uint64_t id) {
  auto it =
      std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.id == id; });
  if (it == entries_.end()) return false;
  std::string url = it->url;
  entries_.erase(it);
  urls_.erase(url);
  fileBytes_ -= lineBytes(url);
  trace_.emit(Event::LoginitemsRemove, quoted(url));
  changed();
  return true;
}

bool LoginItemsStore::removeURL(const std::string& url) {
  if (!urls_.count(url)) return false;
  for (const auto& e : entries_)
    if (e.url == url) return remove(e.id);
  return false;
}

void LoginItemsStore::changed() {
  if (fileGiven_) unsaved_ = true;
  save();
  if (onChange) onChange();
}

bool LoginItemsStore::save() {
  if (!fileGiven_) return true;
  if (!path_) return false;  // refused when it was loaded, and reported then
  unsaved_ = !saveStoredFile(*path_, contents(), &saveFailing_);
  return !unsaved_;
}

void LoginItemsStore::saveIfBehind() {
  if (unsaved_ && path_) save();
}

std::string LoginItemsStore::contents() const {
  std::string text;
  text.reserve(fileBytes_);
  for (const auto& e : entries_) text += storedQuoted(e.url) + "\n";
  return text;
}

}  // namespace sim
