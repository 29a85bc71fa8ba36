#include "sim/live/live_commands.h"

#include <sstream>

#include "sim/desktop/desktop.h"
#include "sim/live/live_session.h"
#include "sim/scenario/command_words.h"
#include "sim/scenario/scenario.h"
#include "sim/words/tokens.h"

namespace sim {

namespace {

constexpr const char* kRequestName = "request";

LiveCheck refused(const std::string& message) {
  return {std::nullopt, std::string(kRequestName) + ":1: " + message};
}

}  // namespace

const std::string& LiveCommand::text() const {
  static const std::string none;
  return command_ ? command_->echo() : none;
}

LiveSetup::LiveSetup(Scenario scenario) {
  auto setup = std::make_shared<Scenario>();
  setup->file = scenario.file;
  setup->setup = scenario.setup;
  // The live session decides when it ends.
  setup->runUntil = kMaxSeconds;
  for (const auto& c : scenario.setup) {
    setupText_ += commandText(c.action) + "\n";
    ++setupLines_;
  }
  timed_.reserve(scenario.timed.size());
  for (auto& c : scenario.timed) {
    LiveCommand command;
    command.command_ = std::make_shared<const Command>(std::move(c));
    timed_.push_back({toNanos(command.command_->time), std::move(command)});
  }
  setup_ = std::move(setup);
}

LiveSetup LiveSetup::fromFile(const std::string& path) {
  // A session plays at most its cap of inputs: the lines beyond are checked
  // but not held.
  return LiveSetup(loadScenario(path, {LiveLimits{}.maxInputs}));
}

LiveSetup LiveSetup::fromText(const std::string& text, const std::string& fileName) {
  std::istringstream in(text);
  return LiveSetup(parseScenario(in, fileName));
}

LiveCheck LiveSetup::check(const std::string& line) const {
  if (line.find_first_of("\r\n") != std::string::npos) return refused("one command a line");
  if (line.size() > kMaxLiveLineLength)
    return refused("a command is at most " + std::to_string(kMaxLiveLineLength) + " characters");
  // Checked here, not in the wrapped line below, so that a column it names
  // is one of the visitor's own line.
  std::string own = line;
  if (auto fault = words::lineFault(own)) return refused(*fault);
  std::vector<Token> words;
  if (auto e = tokenize(line, &words)) return refused(*e);
  if (words.empty()) return refused("expected a command");
  if (!words[0].quoted && words[0].text == "snapshot")
    return refused("snapshot: the page does not write files");
  // The line is checked where a scenario would have it: after this set-up,
  // as its first timed line. Only that line can be at fault.
  std::istringstream in(setupText_ + "at 0 " + line + "\n");
  try {
    Scenario s = parseScenario(in, kRequestName);
    if (s.timed.size() != 1) return refused("expected one command");
    LiveCheck ok;
    ok.command.emplace();
    ok.command->command_ = std::make_shared<const Command>(s.timed.front());
    return ok;
  } catch (const ScenarioError& e) {
    std::string message = e.what();
    std::string at = std::string(kRequestName) + ":" + std::to_string(setupLines_ + 1) + ": ";
    if (message.rfind(at, 0) == 0) return refused(message.substr(at.size()));
    return {std::nullopt, message};
  }
}

std::unique_ptr<Desktop> LiveSetup::makeDesktop(std::ostream& trace, DesktopOptions options) const {
  return std::make_unique<Desktop>(*setup_, trace, std::move(options));
}

void applyLiveCommand(Desktop& desktop, const LiveCommand& command) {
  desktop.apply(*command.command_);
}

}  // namespace sim
