#include "sim/stored/stored_text.h"

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace sim {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The escape at line[i] (just after the backslash): a scenario line's, and
// the tab and the two-digit hexadecimal byte storedQuoted() writes besides.
std::optional<std::pair<char, std::size_t>> escapeAt(const std::string& line, std::size_t i) {
  if (auto common = backend::lineEscape(line, i)) return common;
  if (i >= line.size()) return std::nullopt;
  switch (line[i]) {
    case 't': return std::pair{'\t', std::size_t{1}};
    case 'x': {
      int hi = i + 1 < line.size() ? hexDigit(line[i + 1]) : -1;
      int lo = i + 2 < line.size() ? hexDigit(line[i + 2]) : -1;
      if (hi < 0 || lo < 0) return std::nullopt;
      return std::pair{static_cast<char>(hi * 16 + lo), std::size_t{3}};
    }
    default: return std::nullopt;
  }
}

}  // namespace

std::optional<std::string> tokenizeStoredLine(const std::string& line, std::vector<Token>* tokens,
                                              bool* comment) {
  return backend::tokenizeWith(line, tokens, escapeAt, comment);
}

std::string storedQuoted(const std::string& text) {
  static const char kHex[] = "0123456789abcdef";
  // Sized first and filled in place: a long value costs one pass, not one
  // append a character.
  std::string out(storedQuotedBytes(text), '"');
  char* p = out.data() + 1;
  for (char c : text) {
    auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      *p++ = '\\';
      *p++ = c;
    } else if (c == '\n' || c == '\r' || c == '\t') {
      *p++ = '\\';
      *p++ = c == '\n' ? 'n' : c == '\r' ? 'r' : 't';
    } else if (u < 0x20 || u == 0x7f) {
      *p++ = '\\';
      *p++ = 'x';
      *p++ = kHex[u >> 4];
      *p++ = kHex[u & 15];
    } else {
      *p++ = c;
    }
  }
  return out;  // the closing quote is the last byte of the fill
}

std::size_t storedQuotedBytes(const std::string& text) {
  std::size_t bytes = 2;
  for (char c : text) {
    auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\' || c == '\n' || c == '\r' || c == '\t')
      bytes += 2;
    else if (u < 0x20 || u == 0x7f)
      bytes += 4;
    else
      bytes += 1;
  }
  return bytes;
}

bool isStorableWord(const std::string& key) {
  if (key.empty() || key.size() > kMaxStoredText || key[0] == '#') return false;
  for (char c : key)
    if (isBlank(c) || c == '\n' || c == '"') return false;
  return true;
}

std::string storedPrefValue(const platform::PrefValue& value) {
  if (auto* d = std::get_if<double>(&value)) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", *d);
    return buf;
  }
  if (auto* s = std::get_if<std::string>(&value)) return storedQuoted(*s);
  return formatPrefValue(value);
}

std::size_t storedPrefValueBytes(const platform::PrefValue& value) {
  if (auto* s = std::get_if<std::string>(&value)) return storedQuotedBytes(*s);
  return storedPrefValue(value).size();
}

std::optional<std::string> parseStoredPrefValue(const std::string& type, const Token& value,
                                                platform::PrefValue* out) {
  // A number ends at a NUL byte for strtod: such a word is no number.
  if (!value.quoted && value.text.find('\0') != std::string::npos)
    return "not a value: a NUL byte in " + type;
  if (type != "float" || value.quoted || value.text.empty())
    return parsePrefValue(type, value, out);
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(value.text.c_str(), &end);
  // strtod calls a subnormal result a range error, yet it is exact: keep it.
  bool subnormal = v != 0 && std::fabs(v) < DBL_MIN;
  if (*end || !std::isfinite(v) || (errno == ERANGE && !subnormal))
    return "not a number: " + value.text;
  *out = v;
  return std::nullopt;
}

std::optional<std::string> unstorableValue(const platform::PrefValue& value) {
  if (auto* d = std::get_if<double>(&value); d && !std::isfinite(*d))
    return "a stored float must be a finite number";
  if (auto* s = std::get_if<std::string>(&value); s && s->size() > kMaxStoredText)
    return "a stored string holds at most " + std::to_string(kMaxStoredText) + " bytes";
  return std::nullopt;
}

}  // namespace sim
