// Words of a line, as scenarios, interface files and the bundle information
// write them: bare words and double-quoted strings.
#pragma once

#include <optional>
#include <string>
#include <utility>
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

// The character an escape stands for and its length, LINE[I] being just
// after the backslash; nothing when the backslash stands for itself.
using EscapeReader = std::optional<std::pair<char, std::size_t>> (*)(const std::string& line,
                                                                     std::size_t i);
// The escapes of tokenize(), those quoted() writes.
std::optional<std::pair<char, std::size_t>> lineEscape(const std::string& line, std::size_t i);
// tokenize() with the escapes ESCAPE reads (a file with escapes of its own);
// COMMENT, when given, tells whether a `#` comment was dropped.
std::optional<std::string> tokenizeWith(const std::string& line, std::vector<Token>* tokens,
                                        EscapeReader escape, bool* comment = nullptr);

// The line again, in its canonical form (single blanks, strings quoted).
std::string joinTokens(const std::vector<Token>& tokens, std::size_t from = 0);

// A number in full (no trailing junk); nothing otherwise.
std::optional<double> parseNumber(const std::string& text);

}  // namespace backend
