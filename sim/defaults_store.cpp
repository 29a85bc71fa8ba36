#include "sim/defaults_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

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

bool fileExists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

}  // namespace

bool writeFileAtomically(const std::string& path, const std::string& contents) {
  std::string tmp = path + ".tmp";
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  const char* p = contents.data();
  std::size_t left = contents.size();
  bool ok = true;
  while (left && ok) {
    ssize_t n = ::write(fd, p, left);
    ok = n > 0;
    if (ok) {
      p += n;
      left -= static_cast<std::size_t>(n);
    }
  }
  ok = ::fsync(fd) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  if (!ok || std::rename(tmp.c_str(), path.c_str()) != 0) {
    ::unlink(tmp.c_str());
    return false;
  }
  return true;
}

std::optional<std::string> moveAside(const std::string& path) {
  std::string target = path + ".damaged";
  for (int n = 1; fileExists(target) && n < 1000; ++n)
    target = path + ".damaged." + std::to_string(n);
  if (fileExists(target) || std::rename(path.c_str(), target.c_str()) != 0) return std::nullopt;
  return target;
}

void DefaultsStore::attachFile(const std::string& path, std::string* report) {
  path_ = path;
  std::ifstream in(path);
  if (!in) return;  // no file yet: start empty, create it on the first save
  std::map<std::string, platform::PrefValue> loaded;
  std::string line, error;
  int lineNo = 0;
  while (error.empty() && std::getline(in, line)) {
    ++lineNo;
    std::vector<Token> tokens;
    if (auto e = tokenize(line, &tokens)) {
      error = *e;
    } else if (tokens.empty()) {
      continue;
    } else if (tokens.size() != 3 || tokens[0].quoted || tokens[1].quoted) {
      error = "expected KEY TYPE VALUE";
    } else {
      platform::PrefValue value;
      if (auto e2 = parsePrefValue(tokens[1].text, tokens[2], &value))
        error = *e2;
      else
        loaded[tokens[0].text] = value;
    }
  }
  if (error.empty() && in.bad()) error = "cannot be read";
  if (error.empty()) {
    values_ = std::move(loaded);
    return;
  }
  auto aside = moveAside(path);
  std::ostringstream msg;
  msg << path << ":" << lineNo << ": damaged defaults file (" << error << "); ";
  if (aside) {
    msg << "kept as " << *aside << "; starting with empty defaults";
  } else {
    // It could not be moved: leave it alone and never save over it.
    msg << "it could not be moved aside and will not be written; starting with empty defaults";
    path_.reset();
  }
  *report = msg.str();
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
  trace_.emit(Event::DefaultsWrite,
              key + " " + prefTypeName(value) + " " + formatPrefValue(value));
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
  return writeFileAtomically(*path_, contents);
}

}  // namespace sim
