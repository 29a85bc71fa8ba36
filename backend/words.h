// Words of a line, as scenarios, interface files and the bundle information
// write them: bare words and double-quoted strings.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace backend {

struct Token {
  std::string text;
  bool quoted = false;
};

// Splits a line into tokens; `#` outside quotes starts a comment. Inside
// quotes, \" and \\ stand for " and \, \n and \r for the line breaks
// (as quoted() writes them). Returns an error message, or nothing.
std::optional<std::string> tokenize(const std::string& line, std::vector<Token>* tokens);

// The line again, in its canonical form (single blanks, strings quoted).
std::string joinTokens(const std::vector<Token>& tokens, std::size_t from = 0);

// A number in full (no trailing junk); nothing otherwise.
std::optional<double> parseNumber(const std::string& text);

}  // namespace backend
