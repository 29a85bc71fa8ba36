#include "sim/words/tokens.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "backend/trace.h"

namespace sim {

std::optional<double> parseFiniteNumber(const std::string& text, NumberFault* fault) {
  auto refuse = [&](NumberFault why) -> std::optional<double> {
    if (fault) *fault = why;
    return std::nullopt;
  };
  if (fault) *fault = NumberFault::None;
  // strtod would skip leading white space (\v, \f ...): no part of a number.
  if (text.empty() || std::isspace(static_cast<unsigned char>(text[0])))
    return refuse(NumberFault::NotANumber);
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(text.c_str(), &end);
  // The whole word: "100" followed by a NUL byte and more is not 100.
  if (end != text.c_str() + text.size()) return refuse(NumberFault::NotANumber);
  // An overflow gives HUGE_VAL; an underflow a subnormal or zero, which is
  // what the text says as nearly as a double can.
  if (!std::isfinite(v)) return refuse(NumberFault::NotFinite);
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
    if (value.text.empty() || std::isspace(static_cast<unsigned char>(value.text[0])) ||
        end != value.text.c_str() + value.text.size() || errno == ERANGE)
      return "not an integer: " + value.text;
    *out = static_cast<std::int64_t>(v);
  } else if (type == "float") {
    NumberFault fault = NumberFault::None;
    auto v = parseFiniteNumber(value.text, &fault);
    if (fault == NumberFault::NotFinite) return value.text + " is not a finite number";
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
  return backend::quoted(std::get<std::string>(v));
}

}  // namespace sim
