// The pieces the scenario loader and the one-line parser share: the checks
// every line passes before it is split into words, and the parsers that turn
// a command's words into a typed command. Nothing outside the loader parses
// words; the desktop applies what these return.
#pragma once

#include <span>
#include <string>

#include "sim/scenario/commands.h"
#include "sim/words/tokens.h"

namespace sim::words {

// Drops the `\r` of a CRLF line end; then what is wrong with the line, if
// anything: a control character but tab (a NUL byte included), or more
// bytes than a line may hold.
std::optional<std::string> lineFault(std::string& line);

// A word as an error quotes it: whole when short, else its first bytes and "…".
std::string excerpt(const std::string& word);

// A finite number written as the whole word; throws otherwise.
double number(const Token& word, const std::string& command, const std::string& where);

// A command's words, its name first.
SetupAction setupAction(std::span<const Token> words, const std::string& where);
TimedAction timedAction(std::span<const Token> words, const std::string& where,
                        const DockCatalog* dock);

}  // namespace sim::words
