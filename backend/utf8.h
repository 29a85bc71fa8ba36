// UTF-8 exactly as Unicode defines it (Table 3-7, well-formed byte
// sequences): no overlong forms (C0 AF), no surrogates (ED A0 80), nothing
// above U+10FFFF. Text from outside (titles, URLs, what a visitor types) is
// drawn in the picture and sent in the page's answers with each ill-formed
// part shown as U+FFFD, one for each maximal subpart, as Unicode recommends
// and as web browsers and the page's JSON writer do.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace backend {

inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";  // U+FFFD

struct UTF8Step {
  bool wellFormed;
  // The character's bytes, or those of the maximal subpart that stands for
  // one U+FFFD (at least 1).
  std::size_t length;
  char32_t codePoint;  // when well-formed
};

// The character, or the ill-formed part, that starts at text[at] (at < size).
UTF8Step nextUTF8(std::string_view text, std::size_t at);

bool isWellFormedUTF8(std::string_view text);

// The text with each maximal ill-formed subpart replaced by U+FFFD.
std::string withReplacementCharacters(std::string_view text);

}  // namespace backend
