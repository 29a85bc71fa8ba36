#include "sim/scenario.h"

#include <cmath>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "platform/events.h"
#include "sim/run_queue.h"
#include "sim/trace.h"

namespace sim {

namespace {

[[noreturn]] void fail(const std::string& file, int line, const std::string& message) {
  throw ScenarioError(file + ":" + std::to_string(line) + ": " + message);
}

// Checks one command's words; throws through `bad` on the first fault.
class Checker {
 public:
  Checker(const Command& c, std::function<void(const std::string&)> bad)
      : c_(c), bad_(std::move(bad)) {}

  std::size_t size() const { return c_.words.size(); }
  [[noreturn]] void fail(const std::string& message) const {
    bad_(c_.word(0) + ": " + message);
    throw ScenarioError(message);  // bad_ throws; this keeps [[noreturn]] honest
  }
  void count(std::size_t lo, std::size_t hi) const {
    if (size() < lo || size() > hi)
      bad_(c_.word(0) + ": expected " +
           (lo == hi ? std::to_string(lo - 1)
                     : std::to_string(lo - 1) + " to " + std::to_string(hi - 1)) +
           " argument(s), got " + std::to_string(size() - 1));
  }
  double number(std::size_t i) const {
    if (i >= size() || c_.words[i].quoted) bad_(c_.word(0) + ": expected a number");
    auto v = parseNumber(c_.word(i));
    if (!v) bad_(c_.word(0) + ": not a number: " + c_.word(i));
    return *v;
  }
  const std::string& string(std::size_t i) const {
    if (i >= size() || !c_.words[i].quoted)
      bad_(c_.word(0) + ": expected a string in double quotes");
    return c_.word(i);
  }
  const std::string& word(std::size_t i) const {
    if (i >= size() || c_.words[i].quoted) bad_(c_.word(0) + ": expected a word");
    return c_.word(i);
  }
  void oneOf(std::size_t i, std::initializer_list<const char*> options) const {
    const std::string& w = word(i);
    std::string list;
    for (const char* o : options) {
      if (w == o) return;
      list += list.empty() ? o : std::string(", ") + o;
    }
    bad_(c_.word(0) + ": expected one of " + list + ", got " + w);
  }
  // `[bundle ID]` at position i.
  void optionalBundle(std::size_t i) const {
    if (i >= size()) return;
    if (word(i) != "bundle" || i + 2 != size())
      bad_(c_.word(0) + ": expected bundle ID at the end");
    word(i + 1);
  }
  void prefValue() const {
    count(4, 4);
    word(1);
    platform::PrefValue v;
    if (auto e = parsePrefValue(word(2), c_.words[3], &v)) bad_("defaults: " + *e);
  }

 private:
  const Command& c_;
  std::function<void(const std::string&)> bad_;
};

void checkSetup(const Checker& k, const Command& c) {
  const std::string& name = c.word(0);
  if (name == "screen") {
    k.count(5, 5);
    k.number(1);
    k.number(2);
    if (k.number(3) <= 0 || k.number(4) <= 0) k.fail("width and height must be positive");
  } else if (name == "dock") {
    const std::string& kind = k.word(1);
    if (kind == "app") {
      k.string(2);
      std::size_t next = 3;
      if (k.size() > 3 && !c.words[3].quoted && c.word(3) == "running") next = 4;
      k.optionalBundle(next);
    } else if (kind == "folder" || kind == "trash" || kind == "minimized") {
      k.count(3, 3);
      k.string(2);
    } else if (kind == "item") {
      k.count(4, 4);
      k.string(2);
      k.word(3);
    } else if (kind == "child") {
      if (k.size() == 3 && c.words[2].quoted) return;
      if (k.size() == 3 && c.word(2) == "none") return;
      k.count(4, 4);
      k.oneOf(2, {"number"});
      double n = k.number(3);
      if (n != std::trunc(n) || std::fabs(n) > 1e15) k.fail("the number must be a whole number");
    } else if (kind == "children") {
      k.count(3, 3);
      k.oneOf(2, {"unreadable"});
    } else {
      k.oneOf(1, {"app", "folder", "trash", "minimized", "item", "child", "children"});
    }
  } else if (name == "no") {
    k.count(2, 3);
    k.oneOf(1, {"dock", "info"});
    if (c.word(1) == "info") k.word(2);
    if (c.word(1) == "dock") k.count(2, 2);
  } else if (name == "app") {
    k.string(1);
    k.optionalBundle(2);
  } else if (name == "trusted") {
    k.count(2, 2);
    k.oneOf(1, {"yes", "no"});
  } else if (name == "defaults") {
    k.prefValue();
  } else if (name == "info") {
    k.count(3, 3);
    k.word(1);
    k.string(2);
  } else if (name == "login-item") {
    k.count(2, 2);
    k.string(1);
  } else {
    k.oneOf(0, {"screen", "dock", "no", "app", "trusted", "defaults", "info", "login-item"});
  }
}

void checkTimed(const Checker& k, const Command& c, const std::vector<DockItemSpec>& items) {
  const std::string& name = c.word(0);
  if (name == "pointer") {
    if (k.size() >= 2 && !c.words[1].quoted && c.word(1) == "dock") {
      k.count(3, 5);
      if (k.size() == 4) k.fail("an offset needs both DX and DY");
      if (k.size() == 5) {
        k.number(3);
        k.number(4);
      }
      if (c.words[2].quoted) {
        for (const auto& item : items)
          if (item.title == c.word(2)) return;
        k.fail("no Dock item is titled " + quoted(c.word(2)));
      }
      double n = k.number(2);
      if (n < 1 || n > static_cast<double>(items.size()) || n != static_cast<long>(n))
        k.fail("no Dock item number " + c.word(2) + " (the Dock has " +
               std::to_string(items.size()) + ")");
    } else {
      k.count(3, 3);
      k.number(1);
      k.number(2);
    }
  } else if (name == "modifiers") {
    k.count(2, 2);
    if (!parseModifiers(k.word(1))) k.oneOf(1, {"none", "command", "option", "shift", "control"});
  } else if (name == "rightclick" || name == "click" || name == "grant" || name == "revoke" ||
             name == "close" || name == "mission-control" || name == "relaunch" ||
             name == "inspect") {
    k.count(1, 1);
  } else if (name == "defaults") {
    k.prefValue();
  } else if (name == "menu" || name == "button") {
    k.count(2, 2);
    k.string(1);
  } else if (name == "check") {
    k.count(3, 3);
    k.string(1);
    k.oneOf(2, {"on", "off"});
  } else if (name == "dock") {
    k.count(2, 2);
    k.oneOf(1, {"restart", "quit"});
  } else if (name == "login-items") {
    k.count(3, 3);
    k.oneOf(1, {"add", "remove"});
    k.string(2);
  } else if (name == "snapshot") {
    k.count(2, 2);
    const std::string& path = k.string(1);
    if (path.size() < 5 || path.compare(path.size() - 4, 4, ".svg") != 0)
      k.fail("the file name must end in .svg");
  } else if (name == "screens") {
    auto numbers = screenNumbers(c);
    if (numbers.empty()) k.fail("expected X Y W H [; X Y W H ...] with positive sizes");
  } else {
    k.oneOf(0, {"pointer", "modifiers", "rightclick", "click", "grant", "revoke", "defaults",
                "menu", "button", "check", "close", "mission-control", "dock", "login-items",
                "screens", "relaunch", "inspect", "snapshot"});
  }
}

}  // namespace

double Scenario::endTime() const {
  if (runUntil) return *runUntil;
  return (timed.empty() ? 0.0 : timed.back().time) + 2.0;
}

std::optional<std::uint64_t> parseModifiers(const std::string& keys) {
  if (keys == "none") return 0;
  std::uint64_t flags = 0;
  std::size_t start = 0;
  while (start <= keys.size()) {
    std::size_t end = keys.find('+', start);
    if (end == std::string::npos) end = keys.size();
    std::string key = keys.substr(start, end - start);
    if (key == "command")
      flags |= platform::kEventModifierFlagCommand;
    else if (key == "option")
      flags |= platform::kEventModifierFlagOption;
    else if (key == "shift")
      flags |= platform::kEventModifierFlagShift;
    else if (key == "control")
      flags |= platform::kEventModifierFlagControl;
    else
      return std::nullopt;
    start = end + 1;
  }
  return flags;
}

std::vector<double> screenNumbers(const Command& c) {
  std::string text;
  for (std::size_t i = 1; i < c.words.size(); ++i) {
    if (c.words[i].quoted) return {};
    text += " " + c.words[i].text + " ";
  }
  std::vector<double> numbers;
  std::istringstream groups(text);
  std::string group;
  while (std::getline(groups, group, ';')) {
    std::istringstream words(group);
    std::string w;
    std::size_t inGroup = 0;
    while (words >> w) {
      auto v = parseNumber(w);
      if (!v) return {};
      numbers.push_back(*v);
      ++inGroup;
    }
    if (inGroup != 4 || numbers[numbers.size() - 2] <= 0 || numbers.back() <= 0) return {};
  }
  return numbers;
}

std::vector<DockItemSpec> dockItemsOf(const Scenario& s) {
  std::vector<DockItemSpec> items;
  bool declared = false;
  for (const auto& c : s.setup) {
    if (!c.is("dock")) continue;
    const std::string& kind = c.word(1);
    if (kind == "child" || kind == "children") continue;
    declared = true;
    DockItemSpec item{kind, c.word(2), "", false, std::nullopt};
    if (kind == "app") {
      for (std::size_t i = 3; i < c.words.size(); ++i) {
        if (c.word(i) == "running") item.running = true;
        if (c.word(i) == "bundle") item.bundleID = c.word(++i);
      }
    }
    if (kind == "item") item.subrole = c.word(3);
    items.push_back(item);
  }
  if (!declared) {
    items = {{"app", "Finder", "", true, std::nullopt},
             {"app", "Safari", "", true, std::nullopt},
             {"app", "Notes", "", false, std::nullopt},
             {"app", "Terminal", "", true, std::nullopt},
             {"folder", "Downloads", "", false, std::nullopt},
             {"trash", "Trash", "", false, std::nullopt}};
  }
  return items;
}

Scenario parseScenario(std::istream& in, const std::string& fileName) {
  Scenario s;
  s.file = fileName;
  std::string text;
  int lineNo = 0;
  bool timedSeen = false;
  double lastTime = 0;
  while (std::getline(in, text)) {
    ++lineNo;
    Command c;
    c.line = lineNo;
    if (auto e = tokenize(text, &c.words)) fail(fileName, lineNo, *e);
    if (c.words.empty()) continue;
    auto bad = [&](const std::string& m) { fail(fileName, lineNo, m); };
    if (s.runUntil) bad("nothing may follow run");
    if (c.is("run")) {
      Checker k(c, bad);
      k.count(2, 2);
      double t = k.number(1);
      if (t > kMaxSeconds) bad("run: a scenario lasts at most 1e9 s");
      if (t < lastTime) bad("run " + c.word(1) + " is before the last command");
      s.runUntil = t;
    } else if (c.is("at")) {
      Checker k(c, bad);
      if (c.words.size() < 3) bad("at: expected at T COMMAND");
      double t = k.number(1);
      if (t < 0) bad("at: time must not be negative");
      if (t > kMaxSeconds) bad("at: a scenario lasts at most 1e9 s");
      if (t < lastTime) bad("at: times never decrease (" + c.word(1) + " after an earlier time)");
      lastTime = t;
      timedSeen = true;
      c.time = t;
      c.words.erase(c.words.begin(), c.words.begin() + 2);
      if (c.words[0].quoted) bad("expected a command after at T");
      s.timed.push_back(std::move(c));
    } else {
      if (timedSeen) bad("set-up command after the first at: " + c.word(0));
      if (c.words[0].quoted) bad("expected a command");
      checkSetup(Checker(c, bad), c);
      s.setup.push_back(std::move(c));
    }
  }
  // Timed commands are checked once the Dock's items are known.
  auto items = dockItemsOf(s);
  for (const auto& c : s.timed) {
    auto bad = [&](const std::string& m) { fail(fileName, c.line, m); };
    checkTimed(Checker(c, bad), c, items);
  }
  return s;
}

Scenario loadScenario(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw ScenarioError(path + ":0: cannot open the scenario");
  return parseScenario(in, path);
}

}  // namespace sim
