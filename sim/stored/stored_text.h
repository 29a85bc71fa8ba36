// The line format of the files kept for the user: words and double-quoted
// strings, `#` comments. It reads what the scenario's tokenizer reads and
// adds escapes for line breaks and control characters, so that every stored
// string fits on its line and reads back as it was.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/defaults.h"
#include "sim/words/tokens.h"

namespace sim {

// Limits on what the stores keep, so that whatever they save they can load
// again: a key, string value or URL, and the whole file as saved.
inline constexpr std::size_t kMaxStoredText = 1 << 20;        // 1 MiB
inline constexpr std::size_t kMaxStoredFileBytes = 64 << 20;  // 64 MiB

// Splits one line. Inside quotes, \" \\ \n \r \t and \xHH stand for the
// character; any other backslash stands for itself, as in files written
// before these escapes. `comment` tells whether a `#` comment was dropped.
std::optional<std::string> tokenizeStoredLine(const std::string& line, std::vector<Token>* tokens,
                                              bool* comment);

// A string as a stored file writes it: quoted, with the escapes above for
// quotes, backslashes and every control character.
std::string storedQuoted(const std::string& text);
// The size of storedQuoted(text), without making it.
std::size_t storedQuotedBytes(const std::string& text);

// Whether `key` can be written as one bare word of a stored line.
bool isStorableWord(const std::string& key);

// VALUE as a stored file writes it: floats with 17 digits, so that a double
// (and so every float) reads back bit for bit.
std::string storedPrefValue(const platform::PrefValue& value);
// The size of storedPrefValue(value), without making a long string's text.
std::size_t storedPrefValueBytes(const platform::PrefValue& value);
// Reads TYPE VALUE of a stored line. Unlike a scenario it takes subnormal
// floats, which a save writes and must read back.
std::optional<std::string> parseStoredPrefValue(const std::string& type, const Token& value,
                                                platform::PrefValue* out);

// Why a value cannot be kept in a stored file (too long, not finite), or nothing.
std::optional<std::string> unstorableValue(const platform::PrefValue& value);

}  // namespace sim
