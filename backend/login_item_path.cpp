#include "backend/login_item_path.h"

#include <cctype>

#include "platform/bundle.h"

namespace backend {

namespace {

bool startsWithNoCase(const std::string& text, const std::string& prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  return true;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The directories of the root that are links into /private.
bool isPrivateLink(const std::string& path, const std::string& dir) {
  const std::string full = "/private" + dir;
  return path.compare(0, full.size(), full) == 0 &&
         (path.size() == full.size() || path[full.size()] == '/');
}

}  // namespace

std::optional<std::string> filePathOfURL(const std::string& url) {
  std::string rest;
  if (startsWithNoCase(url, "file://localhost/"))
    rest = url.substr(16);
  else if (startsWithNoCase(url, "file:///"))
    rest = url.substr(7);
  else
    return std::nullopt;
  // The path ends where a query or fragment would start.
  rest = rest.substr(0, rest.find_first_of("?#"));
  std::string path;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] != '%') {
      path += rest[i];
      continue;
    }
    if (i + 2 >= rest.size()) return std::nullopt;
    int hi = hexValue(rest[i + 1]), lo = hexValue(rest[i + 2]);
    if (hi < 0 || lo < 0) return std::nullopt;
    path += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return path;
}

std::string comparablePath(const std::string& path) {
  std::string p = path;
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  for (const char* dir : {"/var", "/tmp", "/etc"})
    if (isPrivateLink(p, dir)) return p.substr(std::string("/private").size());
  return p;
}

bool sameFilePath(const std::string& a, const std::string& b) {
  return comparablePath(a) == comparablePath(b);
}

std::optional<std::string> asBundleURLWhenSameFile(
    const std::optional<std::string>& url, const std::string& bundlePath,
    const std::function<std::string(const std::string&)>& normalize) {
  if (!url) return std::nullopt;
  auto path = filePathOfURL(*url);
  if (!path || !sameFilePath(normalize(*path), normalize(bundlePath))) return url;
  return platform::fileURLWithPath(bundlePath, true);
}

}  // namespace backend
