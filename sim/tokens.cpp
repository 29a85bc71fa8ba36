#include "sim/tokens.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "sim/trace.h"

namespace sim {

std::optional<std::string> tokenize(const std::string& line, std::vector<Token>* tokens) {
  std::size_t i = 0, n = line.size();
  while (i < n) {
    char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
    } else if (c == '#') {
      break;
    } else if (c == '"') {
      Token t{"", true};
      ++i;
      bool closed = false;
      while (i < n) {
        char d = line[i++];
        if (d == '"') {
          closed = true;
          break;
        }
        if (d == '\\' && i < n && (line[i] == '"' || line[i] == '\\')) d = line[i++];
        t.text += d;
      }
      if (!closed) return "unterminated string";
      if (i < n && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
        return "text right after a closing quote";
      tokens->push_back(std::move(t));
    } else {
      Token t;
      while (i < n && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
        if (line[i] == '"') return "quote inside a word";
        t.text += line[i++];
      }
      tokens->push_back(std::move(t));
    }
  }
  return std::nullopt;
}

std::string joinTokens(const std::vector<Token>& tokens, std::size_t from) {
  std::string out;
  for (std::size_t i = from; i < tokens.size(); ++i) {
    if (i > from) out += ' ';
    out += tokens[i].quoted ? quoted(tokens[i].text) : tokens[i].text;
  }
  return out;
}

std::optional<double> parseNumber(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(text.c_str(), &end);
  if (*end || errno == ERANGE || !std::isfinite(v)) return std::nullopt;
  return v;
}

std::optional<std::string> parsePrefValue(const std::string& type, const Token& value,
                                          platform::PrefValue* out) {
  if (type == "string") {
    if (!value.quoted) return "a string value must be in double quotes";
    *out = value.text;
    return std::nullopt;
  }
  if (value.quoted) return "a " + type + " value is not quoted";
  if (type == "bool") {
    if (value.text != "true" && value.text != "false") return "a bool is true or false";
    *out = value.text == "true";
  } else if (type == "int") {
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(value.text.c_str(), &end, 10);
    if (value.text.empty() || *end || errno == ERANGE) return "not an integer: " + value.text;
    *out = static_cast<std::int64_t>(v);
  } else if (type == "float") {
    auto v = parseNumber(value.text);
    if (!v) return "not a number: " + value.text;
    *out = *v;
  } else {
    return "unknown type " + type + " (bool, int, float or string)";
  }
  return std::nullopt;
}

const char* prefTypeName(const platform::PrefValue& v) {
  static const char* const kNames[] = {"bool", "int", "float", "string"};
  return kNames[v.index()];
}

std::string formatPrefValue(const platform::PrefValue& v) {
  if (auto* b = std::get_if<bool>(&v)) return *b ? "true" : "false";
  if (auto* i = std::get_if<std::int64_t>(&v)) return std::to_string(*i);
  if (auto* d = std::get_if<double>(&v)) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", *d);
    return buf;
  }
  return quoted(std::get<std::string>(v));
}

}  // namespace sim
