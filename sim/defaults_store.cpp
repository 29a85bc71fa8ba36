#include "sim/defaults_store.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "sim/stored_file.h"
#include "sim/tokens.h"

namespace sim {

namespace {

std::string exactValue(const platform::PrefValue& v) {
  if (auto* d = std::get_if<double>(&v)) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", *d);
    return buf;
  }
  return formatPrefValue(v);
}

}  // namespace

void DefaultsStore::attachFile(const std::string& path, std::string* report) {
  std::map<std::string, platform::PrefValue> loaded;
  auto load = loadStoredFile(path, "defaults", "empty defaults",
                             [&](const std::vector<Token>& tokens) -> std::optional<std::string> {
                               if (tokens.size() != 3 || tokens[0].quoted || tokens[1].quoted)
                                 return "expected KEY TYPE VALUE";
                               platform::PrefValue value;
                               if (auto e = parsePrefValue(tokens[1].text, tokens[2], &value))
                                 return e;
                               loaded[tokens[0].text] = value;
                               return std::nullopt;
                             });
  *report = load.report;
  if (load.writable) path_ = path;
  if (load.report.empty()) values_ = std::move(loaded);
}

std::optional<platform::PrefValue> DefaultsStore::get(const std::string& key) const {
  auto it = values_.find(key);
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

void DefaultsStore::preset(const std::string& key, platform::PrefValue value) {
  values_[key] = std::move(value);
}

void DefaultsStore::set(const std::string& key, platform::PrefValue value) {
  trace_.emit(Event::DefaultsWrite, key + " " + prefTypeName(value) + " " + formatPrefValue(value));
  values_[key] = std::move(value);
  if (onChange) onChange(key);
}

bool DefaultsStore::synchronize() {
  trace_.emit(Event::DefaultsSync);
  return save();
}

bool DefaultsStore::save() {
  if (!path_) return true;
  std::string contents;
  for (const auto& [key, value] : values_)
    contents += key + " " + prefTypeName(value) + " " + exactValue(value) + "\n";
  return saveStoredFile(*path_, contents, &saveFailureReported_);
}

}  // namespace sim
