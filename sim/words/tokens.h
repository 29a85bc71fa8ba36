// Words of a scenario or defaults line, and the preference values they write.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "backend/words.h"
#include "platform/defaults.h"

namespace sim {

using backend::joinTokens;
using backend::parseNumber;
using backend::Token;
using backend::tokenize;

enum class NumberFault { None, NotANumber, NotFinite };
// A finite number written as the whole of TEXT (a subnormal one included,
// for which strtod reports ERANGE); nothing otherwise, and FAULT says whether
// TEXT was no number at all or NaN, an infinity or too large for a double.
std::optional<double> parseFiniteNumber(const std::string& text, NumberFault* fault = nullptr);

// A preference value of TYPE bool|int|float|string; an error message otherwise.
std::optional<std::string> parsePrefValue(const std::string& type, const Token& value,
                                          platform::PrefValue* out);
// TYPE and VALUE as the trace and the defaults file write them.
const char* prefTypeName(const platform::PrefValue& v);
std::string formatPrefValue(const platform::PrefValue& v);

}  // namespace sim
