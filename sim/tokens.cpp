#include "sim/tokens.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "sim/trace.h"

namespace sim {

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
