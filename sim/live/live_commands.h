// What a live session needs of the scenario language, in one place: a
// scenario's set-up and timed lines, one line of input checked as a timed
// command of that set-up, and applying a checked command to a desktop.
// Nothing else of the live session knows how scenarios are parsed.
#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "sim/world/run_queue.h"

namespace sim {

class Desktop;
struct Command;
struct DesktopOptions;
struct Scenario;

// Longest line of input a live session takes.
inline constexpr std::size_t kMaxLiveLineLength = 1024;

// A timed command, checked; what the trace echoes is its text.
class LiveCommand {
 public:
  // The command in its canonical form, as the trace echoes it (the
  // command's own echo: a long scenario is not held twice).
  const std::string& text() const;

 private:
  friend class LiveSetup;
  friend void applyLiveCommand(Desktop& desktop, const LiveCommand& command);
  std::shared_ptr<const Command> command_;
};

struct LiveCheck {
  std::optional<LiveCommand> command;
  std::string error;  // "request:1: message" when the line was refused
};

// A scenario's set-up for a live session, and its timed lines to play first.
class LiveSetup {
 public:
  struct Timed {
    Nanos time;
    LiveCommand command;
  };

  // Throws ScenarioError ("FILE:LINE: message") for a malformed scenario.
  static LiveSetup fromFile(const std::string& path);
  static LiveSetup fromText(const std::string& text, const std::string& fileName);

  // The set-up lines, one a line in canonical form, as a scenario file
  // would write them.
  const std::string& setupText() const { return setupText_; }
  const std::vector<Timed>& timed() const { return timed_; }

  // One line of input checked as a timed command of this set-up (a Dock
  // item named by a pointer command must be one of its items). The page
  // may not write files: `snapshot` is refused.
  LiveCheck check(const std::string& line) const;

  // A desktop with this set-up and no timed input of its own: the live
  // session feeds it.
  std::unique_ptr<Desktop> makeDesktop(std::ostream& trace, DesktopOptions options) const;

 private:
  // Takes the scenario's commands over rather than copying them.
  explicit LiveSetup(Scenario scenario);
  std::shared_ptr<const Scenario> setup_;  // the set-up lines only
  std::string setupText_;
  std::size_t setupLines_ = 0;
  std::vector<Timed> timed_;
};

// Applies a checked command now, as a scenario's timed line would be.
void applyLiveCommand(Desktop& desktop, const LiveCommand& command);

}  // namespace sim
