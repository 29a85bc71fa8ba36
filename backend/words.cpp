#include "backend/words.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "backend/trace.h"

namespace backend {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

}  // namespace

std::optional<std::pair<char, std::size_t>> lineEscape(const std::string& line, std::size_t i) {
  if (i >= line.size()) return std::nullopt;
  switch (line[i]) {
    case '"': return std::pair{'"', std::size_t{1}};
    case '\\': return std::pair{'\\', std::size_t{1}};
    case 'n': return std::pair{'\n', std::size_t{1}};
    case 'r': return std::pair{'\r', std::size_t{1}};
    default: return std::nullopt;
  }
}

std::optional<std::string> tokenize(const std::string& line, std::vector<Token>* tokens) {
  return tokenizeWith(line, tokens, lineEscape);
}

std::optional<std::string> tokenizeWith(const std::string& line, std::vector<Token>* tokens,
                                        EscapeReader escape, bool* comment) {
  if (comment) *comment = false;
  std::size_t i = 0, n = line.size();
  while (i < n) {
    char c = line[i];
    if (isBlank(c)) {
      ++i;
    } else if (c == '#') {
      if (comment) *comment = true;
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
        if (d == '\\') {
          if (auto e = escape(line, i)) {
            d = e->first;
            i += e->second;
          }
        }
        t.text += d;
      }
      if (!closed) return "unterminated string";
      if (i < n && !isBlank(line[i])) return "text right after a closing quote";
      tokens->push_back(std::move(t));
    } else {
      Token t;
      while (i < n && !isBlank(line[i])) {
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

}  // namespace backend
