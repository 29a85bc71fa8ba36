// Scenario files: set-up lines, then `at T COMMAND` lines, then `run T`.
#pragma once

#include <istream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/tokens.h"

namespace sim {

struct Command {
  int line = 0;
  double time = -1;          // seconds after launch; -1 for a set-up command
  std::vector<Token> words;  // the command's words, its name first

  const std::string& word(std::size_t i) const { return words.at(i).text; }
  bool is(const char* name) const { return !words.empty() && words[0].text == name; }
  // The command as the trace echoes it.
  std::string echo() const { return joinTokens(words); }
};

struct Scenario {
  std::string file;
  std::vector<Command> setup;
  std::vector<Command> timed;  // in time order
  std::optional<double> runUntil;
  // `run T`, or 2 s after the last timed command.
  double endTime() const;
};

// "FILE:LINE: message".
class ScenarioError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

Scenario parseScenario(std::istream& in, const std::string& fileName);
Scenario loadScenario(const std::string& path);

// The Dock's items when a scenario declares none.
struct DockItemSpec {
  std::string kind;  // app, folder, trash, minimized, item
  std::string title;
  std::string subrole;  // for `item`: a subrole or "none"
  bool running = false;
  std::optional<std::string> bundleID;
};
std::vector<DockItemSpec> dockItemsOf(const Scenario& s);
// The modifier flags named by `command+option`, or nothing when a name is unknown.
std::optional<std::uint64_t> parseModifiers(const std::string& keys);
// The screen frames of `screens X Y W H [; X Y W H ...]`.
std::vector<double> screenNumbers(const Command& c);

}  // namespace sim
