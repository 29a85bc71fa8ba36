#include "sim/login_items_store.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "sim/stored_file.h"
#include "sim/tokens.h"

namespace sim {

bool isOnUnmountedVolume(const std::string& url) { return url.rfind("file:///Volumes/", 0) == 0; }

void LoginItemsStore::attachFile(const std::string& path, std::string* report) {
  std::vector<std::string> loaded;
  auto load =
      loadStoredFile(path, "login-items", "no login items",
                     [&](const std::vector<Token>& tokens) -> std::optional<std::string> {
                       if (tokens.size() != 1 || !tokens[0].quoted || tokens[0].text.empty())
                         return "expected one \"URL\" a line";
                       loaded.push_back(tokens[0].text);
                       return std::nullopt;
                     });
  *report = load.report;
  path_.reset();
  if (load.writable) path_ = path;
  entries_.clear();
  if (load.report.empty())
    for (const auto& url : loaded) preset(url);
}

std::vector<std::string> LoginItemsStore::urls() const {
  std::vector<std::string> out;
  for (const auto& e : entries_) out.push_back(e.url);
  return out;
}

bool LoginItemsStore::contains(std::uint64_t id) const {
  return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.id == id; });
}

void LoginItemsStore::preset(const std::string& url) {
  if (std::none_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.url == url; }))
    entries_.push_back({nextID_++, url});
}

std::uint64_t LoginItemsStore::insert(platform::LoginItemPosition position,
                                      const std::string& url) {
  Entry entry{nextID_++, url};
  auto existing =
      std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.url == url; });
  if (existing != entries_.end()) {
    entry.id = existing->id;
    entries_.erase(existing);
  }
  bool first = position == platform::LoginItemPosition::BeforeFirst;
  entries_.insert(first ? entries_.begin() : entries_.end(), entry);
  trace_.loginItemsInsert(url, first);
  changed();
  return entry.id;
}

bool LoginItemsStore::remove(std::uint64_t id) {
  auto it =
      std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.id == id; });
  if (it == entries_.end()) return false;
  std::string url = it->url;
  entries_.erase(it);
  trace_.loginItemsRemove(url);
  changed();
  return true;
}

bool LoginItemsStore::removeURL(const std::string& url) {
  for (const auto& e : entries_)
    if (e.url == url) return remove(e.id);
  return false;
}

void LoginItemsStore::changed() {
  save();
  if (onChange) onChange();
}

bool LoginItemsStore::save() {
  if (!path_) return true;
  std::string contents;
  for (const auto& e : entries_) contents += quoted(e.url) + "\n";
  return saveStoredFile(*path_, contents, &saveFailureReported_);
}

}  // namespace sim
