// Words of a scenario or defaults line: bare words and double-quoted strings.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/defaults.h"

namespace sim {

struct Token {
  std::string text;
  bool quoted = false;
};

// Splits a line into tokens; `#` outside quotes starts a comment. Inside
// quotes, \" and \\ stand for " and \. Returns an error message, or nothing.
std::optional<std::string> tokenize(const std::string& line, std::vector<Token>* tokens);

// The line again, in its canonical form (single blanks, strings quoted).
std::string joinTokens(const std::vector<Token>& tokens, std::size_t from = 0);

// A number in full (no trailing junk); nothing otherwise.
std::optional<double> parseNumber(const std::string& text);

// A preference value of TYPE bool|int|float|string; an error message otherwise.
std::optional<std::string> parsePrefValue(const std::string& type, const Token& value,
                                          platform::PrefValue* out);
// TYPE and VALUE as the trace and the defaults file write them.
const char* prefTypeName(const platform::PrefValue& v);
std::string formatPrefValue(const platform::PrefValue& v);

}  // namespace sim
