#include "sim/stored/defaults_store.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <vector>

#include "sim/stored/stored_file.h"
#include "sim/stored/stored_text.h"
#include "sim/words/tokens.h"

namespace sim {

namespace {

std::string lineOf(const std::string& key, const platform::PrefValue& value) {
  return key + " " + prefTypeName(value) + " " + storedPrefValue(value) + "\n";
}

std::size_t lineBytes(const std::string& key, const platform::PrefValue& value) {
  return key.size() + std::strlen(prefTypeName(value)) + storedPrefValueBytes(value) + 3;
}

// A key as a message shows it: quoted, and cut when it is long.
std::string shownKey(const std::string& key) {
  return key.size() > 80 ? storedQuoted(key.substr(0, 80)) + "..." : storedQuoted(key);
}

std::string tooLarge() {
  return "the defaults file would grow past " + std::to_string(kMaxStoredFileBytes >> 20) + " MiB";
}

// Compared as the file writes them: -0.0 and 0.0 are different lines.
bool sameStored(const platform::PrefValue& a, const platform::PrefValue& b) {
  if (a.index() != b.index()) return false;
  if (auto* x = std::get_if<double>(&a))
    return std::bit_cast<std::uint64_t>(*x) == std::bit_cast<std::uint64_t>(std::get<double>(b));
  return a == b;
}

}  // namespace

void DefaultsStore::attachFile(const std::string& path, std::string* report) {
  std::map<std::string, platform::PrefValue> loaded;
  std::map<std::string, int> lineOfKey;
  std::size_t bytes = 0;
  auto load = loadStoredFile(
      path, "defaults", "empty defaults",
      [&](const std::vector<Token>& tokens, int line,
          std::string* note) -> std::optional<std::string> {
        if (tokens.size() != 3 || tokens[0].quoted || tokens[1].quoted)
          return "expected KEY TYPE VALUE";
        const std::string& key = tokens[0].text;
        if (key.size() > kMaxStoredText)
          return "a key longer than " + std::to_string(kMaxStoredText) + " bytes";
        platform::PrefValue value;
        if (auto e = parseStoredPrefValue(tokens[1].text, tokens[2], &value)) return e;
        if (auto e = unstorableValue(value)) return e;
        auto [known, fresh] = lineOfKey.try_emplace(key, line);
        if (!fresh) {
          *note = key + " given again: this value replaces line " + std::to_string(known->second);
          known->second = line;
          bytes -= lineBytes(key, loaded[key]);
        }
        bytes += lineBytes(key, value);
        // What is loaded must save to a file that loads again.
        if (bytes > kMaxStoredFileBytes) return tooLarge();
        loaded[key] = std::move(value);
        return std::nullopt;
      });
  *report = load.report;
  fileGiven_ = true;
  path_.reset();
  if (load.writable) path_ = load.savePath;
  unsaved_ = false;
  if (!load.discarded) {
    values_ = std::move(loaded);
    fileBytes_ = bytes;
  }
}

std::optional<platform::PrefValue> DefaultsStore::get(const std::string& key) const {
  auto it = values_.find(key);
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

std::optional<std::string> DefaultsStore::refusal(const std::string& key,
                                                  const platform::PrefValue& value) const {
  if (!isStorableWord(key))
    return "a key is one word of at most " + std::to_string(kMaxStoredText) +
           " bytes, without blanks or quotes, not starting with #";
  if (auto e = unstorableValue(value)) return e;
  std::size_t bytes = fileBytes_ + lineBytes(key, value);
  if (auto it = values_.find(key); it != values_.end()) bytes -= lineBytes(key, it->second);
  if (bytes > kMaxStoredFileBytes) return tooLarge();
  return std::nullopt;
}

bool DefaultsStore::accept(const std::string& key, const platform::PrefValue& value) {
  auto why = refusal(key, value);
  if (!why) return true;
  std::cerr << "vistrel-desktop: defaults " << shownKey(key) << " " << prefTypeName(value)
            << ": not stored (" << *why << ")\n";
  return false;
}

bool DefaultsStore::store(const std::string& key, platform::PrefValue value) {
  fileBytes_ += lineBytes(key, value);
  auto [it, fresh] = values_.try_emplace(key, value);
  if (fresh) return true;
  fileBytes_ -= lineBytes(key, it->second);
  bool same = sameStored(it->second, value);
  it->second = std::move(value);
  return !same;
}

void DefaultsStore::preset(const std::string& key, platform::PrefValue value) {
  // A scenario's value the file lacks is saved with the first save.
  if (accept(key, value) && store(key, std::move(value)) && fileGiven_) unsaved_ = true;
}

void DefaultsStore::set(const std::string& key, platform::PrefValue value) {
  if (!accept(key, value)) return;
  trace_.emit(backend::Event::DefaultsWrite,
              key + " " + prefTypeName(value) + " " + formatPrefValue(value));
  // Writing the value already there leaves nothing to save.
  if (store(key, std::move(value)) && fileGiven_) unsaved_ = true;
  if (onChange) onChange(key);
}

bool DefaultsStore::synchronize() {
  if (!saveIfChanged()) return false;
  trace_.emit(backend::Event::DefaultsSync);
  return true;
}

bool DefaultsStore::saveIfChanged() {
  if (fileGiven_ && path_ && !unsaved_) return true;  // the file holds every value
  return save();
}

bool DefaultsStore::save() {
  if (!fileGiven_) return true;
  if (!path_) return false;  // refused when it was loaded, and reported then
  unsaved_ = !saveStoredFile(*path_, contents(), &saveFailing_);
  return !unsaved_;
}

std::string DefaultsStore::contents() const {
  std::string text;
  text.reserve(fileBytes_);
  for (const auto& [key, value] : values_) text += lineOf(key, value);
  return text;
}

}  // namespace sim
