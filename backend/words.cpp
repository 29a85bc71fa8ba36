#include "backend/words.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "backend/trace.h"

namespace backend {

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
        if (d == '\\' && i < n) {
          char e = line[i];
          if (e == '"' || e == '\\' || e == 'n' || e == 'r') {
            d = e == 'n' ? '\n' : e == 'r' ? '\r' : e;
            ++i;
          }
        }
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

}  // namespace backend
