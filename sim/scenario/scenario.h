// Scenario files: set-up lines, then `at T COMMAND` lines, then `run T`.
// Each line is parsed once, here, into a typed command (sim/scenario/commands.h).
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "sim/scenario/commands.h"

namespace sim {

struct Scenario {
  std::string file;
  std::vector<SetupCommand> setup;
  std::vector<Command> timed;  // in time order
  std::optional<double> runUntil;
  // Timed lines read and checked but not kept (ScenarioReading::maxTimed),
  // and the time of the last of them.
  std::size_t timedLeftOut = 0;
  double leftOutUntil = 0;
  // `run T`, or 2 s after the last timed command.
  double endTime() const;
  // The same commands, wherever they came from (file, lines, spelling).
  bool operator==(const Scenario& o) const {
    return setup == o.setup && timed == o.timed && runUntil == o.runUntil;
  }
};

// How much of a scenario to keep. Every line is read and checked either way.
struct ScenarioReading {
  // Timed lines kept, the first ones: a run that can play no more than
  // these (a live session) need not hold the rest.
  std::size_t maxTimed = SIZE_MAX;
};

// Throws ScenarioError "FILE:LINE: message" at the first fault.
Scenario parseScenario(std::istream& in, const std::string& fileName,
                       const ScenarioReading& reading = {});
// A path that is not a readable regular file (a directory, a FIFO ...) is
// refused as "PATH: message" before anything is read from it. The file is
// read a piece at a time, never held whole.
Scenario loadScenario(const std::string& path, const ScenarioReading& reading = {});

// The scenario again as text that parses to an equal scenario.
std::string scenarioText(const Scenario& s);

// The Dock's items in order: the scenario's `dock` item lines, or the
// default Dock when it declares none.
std::vector<AddDockItem> dockItemsOf(const std::vector<SetupCommand>& setup);

}  // namespace sim
