// The application bundle: its information dictionary and its location, and
// the two ways the agent makes URLs (NSURL URLWithString: / fileURLWithPath:).
#pragma once

#include <cctype>
#include <optional>
#include <string>

namespace platform {

class Bundle {
 public:
  virtual ~Bundle() = default;
  // NSBundle mainBundle objectForInfoDictionaryKey: (string values only).
  virtual std::optional<std::string> objectForInfoDictionaryKey(const std::string& key) = 0;
  // NSBundle mainBundle bundlePath: the absolute path of the .app directory.
  virtual std::string bundlePath() = 0;
  // Whether macOS runs the bundle from a read-only copy of a quarantined
  // download (App Translocation), as the system itself tells it; nothing
  // where the system cannot tell, and the path is all there is to go by.
  virtual std::optional<bool> isTranslocated() { return std::nullopt; }
};

// NSURL URLWithString:, nothing when the string is not a well-formed URL:
// empty, a character outside the URL set, a broken percent escape, or a
// scheme with characters a scheme may not have.
inline std::optional<std::string> URLWithString(const std::string& text) {
  if (text.empty()) return std::nullopt;
  static const std::string kAllowed = "-._~:/?#[]@!$&'()*+,;=";
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '%') {
      if (i + 2 >= text.size() || !std::isxdigit(static_cast<unsigned char>(text[i + 1])) ||
          !std::isxdigit(static_cast<unsigned char>(text[i + 2])))
        return std::nullopt;
      i += 2;
    } else if (c >= 0x80 ||
               !(std::isalnum(c) || kAllowed.find(static_cast<char>(c)) != std::string::npos)) {
      return std::nullopt;
    }
  }
  std::size_t colon = text.find(':');
  std::size_t firstDelimiter = text.find_first_of("/?#");
  if (colon != std::string::npos && colon < firstDelimiter) {
    if (colon == 0 || !std::isalpha(static_cast<unsigned char>(text[0]))) return std::nullopt;
    for (std::size_t i = 1; i < colon; ++i) {
      unsigned char c = static_cast<unsigned char>(text[i]);
      if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return std::nullopt;
    }
  }
  return text;
}

// NSURL fileURLWithPath:isDirectory: for an absolute path: "file://" and the
// percent-encoded path, with a trailing "/" for a directory.
inline std::string fileURLWithPath(const std::string& path, bool isDirectory) {
  static const char* kHex = "0123456789ABCDEF";
  std::string url = "file://";
  for (char ch : path) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (std::isalnum(c) || std::string("-._~/!$&'()*+,;=:@").find(ch) != std::string::npos) {
      url += ch;
    } else {
      url += '%';
      url += kHex[c >> 4];
      url += kHex[c & 15];
    }
  }
  if (isDirectory && (url.empty() || url.back() != '/')) url += '/';
  return url;
}

}  // namespace platform
