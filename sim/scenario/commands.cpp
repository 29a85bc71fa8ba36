#include "sim/scenario/commands.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "backend/trace.h"
#include "platform/events.h"
#include "sim/scenario/command_words.h"
#include "sim/scenario/overloaded.h"

namespace sim {

using backend::quoted;

namespace {

std::string number(double v) { return numberText(v); }

std::string frame(const platform::Rect& f) {
  return number(f.origin.x) + " " + number(f.origin.y) + " " + number(f.size.width) + " " +
         number(f.size.height);
}

std::string titleOrNone(const std::optional<std::string>& title) {
  return title ? quoted(*title) : "none";
}

std::string prefText(const platform::PrefValue& v) {
  if (auto* d = std::get_if<double>(&v)) return number(*d);
  return formatPrefValue(v);  // true/false, an integer, a quoted string
}

std::string appResponseText(const AppResponse& r) {
  return "app " + (r.app ? quoted(*r.app) : std::string("dock")) +
         (r.hung ? " hung" : " responsive");
}

std::string dockSlowText(const DockSlow& d) {
  return "dock slow " + (d.seconds > 0 ? number(d.seconds) : std::string("none"));
}

std::string openWindowText(const OpenWindow& w) {
  return "window " + quoted(w.app) + " " + frame(w.frame);
}

std::string defaultsText(const DefaultsSet& d) {
  return "defaults " + d.key + " " + prefTypeName(d.value) + " " + prefText(d.value);
}

constexpr std::pair<std::uint64_t, const char*> kModifierNames[] = {
    {platform::kEventModifierFlagCommand, "command"},
    {platform::kEventModifierFlagOption, "option"},
    {platform::kEventModifierFlagShift, "shift"},
    {platform::kEventModifierFlagControl, "control"},
};

}  // namespace

std::string numberText(double v) {
  // The fewest significant digits that read back as exactly V. (Not
  // std::to_chars: Apple's libc++ has it for doubles from macOS 13.3 only.)
  char buf[40];
  for (int digits = 1; digits <= 17; ++digits) {
    std::snprintf(buf, sizeof buf, "%.*g", digits, v);
    if (std::strtod(buf, nullptr) == v) break;
  }
  return buf;
}

DockCatalog DockCatalog::of(const std::vector<AddDockItem>& items) {
  DockCatalog catalog;
  catalog.items = items.size();
  for (const auto& item : items)
    if (item.title) catalog.titles.push_back(*item.title);
  std::sort(catalog.titles.begin(), catalog.titles.end());
  catalog.titles.erase(std::unique(catalog.titles.begin(), catalog.titles.end()),
                       catalog.titles.end());
  return catalog;
}

bool DockCatalog::hasTitle(const std::string& title) const {
  return std::binary_search(titles.begin(), titles.end(), title);
}

bool DockCatalog::hasApplication(const std::string& name) const {
  return std::binary_search(applications.begin(), applications.end(), name);
}

Command parseTimedCommand(const std::string& text, const std::string& where,
                          const DockCatalog* dock) {
  std::string line = text;
  if (auto fault = words::lineFault(line)) throw ScenarioError(where + ": " + *fault);
  std::vector<Token> tokens;
  if (auto e = tokenize(line, &tokens)) throw ScenarioError(where + ": " + *e);
  if (tokens.empty() || tokens[0].quoted) throw ScenarioError(where + ": expected a command");
  Command c;
  c.action = words::timedAction(tokens, where, dock);
  c.echoText = joinTokens(tokens);
  return c;
}

std::optional<std::uint64_t> parseModifiers(const std::string& keys) {
  if (keys == "none") return 0;
  std::uint64_t flags = 0;
  std::size_t start = 0;
  while (start <= keys.size()) {
    std::size_t end = keys.find('+', start);
    if (end == std::string::npos) end = keys.size();
    std::string key = keys.substr(start, end - start);
    auto named = std::find_if(std::begin(kModifierNames), std::end(kModifierNames),
                              [&](const auto& m) { return key == m.second; });
    if (named == std::end(kModifierNames)) return std::nullopt;
    flags |= named->first;
    start = end + 1;
  }
  return flags;
}

std::string commandText(const TimedAction& action) {
  return std::visit(
      Overloaded{
          [](const PointerTo& p) { return "pointer " + number(p.x) + " " + number(p.y); },
          [](const PointerToDock& p) {
            std::string item = std::holds_alternative<std::string>(p.item)
                                   ? quoted(std::get<std::string>(p.item))
                                   : std::to_string(std::get<std::size_t>(p.item));
            std::string text = "pointer dock " + item;
            if (p.dx != 0 || p.dy != 0)
              text.append(" ").append(number(p.dx)).append(" ").append(number(p.dy));
            return text;
          },
          [](const Modifiers& m) {
            std::string keys;
            for (const auto& [flag, name] : kModifierNames)
              if (m.flags & flag) keys.append(keys.empty() ? "" : "+").append(name);
            return "modifiers " + (keys.empty() ? std::string("none") : keys);
          },
          [](const RightClick&) { return std::string("rightclick"); },
          [](const Click&) { return std::string("click"); },
          [](const Grant&) { return std::string("grant"); },
          [](const Revoke& r) {
            return std::string(r.stale ? "revoke stale" : r.listed ? "revoke listed" : "revoke");
          },
          [](const DefaultsSet& d) { return defaultsText(d); },
          [](const Menu& m) { return "menu " + quoted(m.title); },
          [](const Button& b) { return "button " + quoted(b.title); },
          [](const Check& c) { return "check " + quoted(c.title) + (c.on ? " on" : " off"); },
          [](const Close&) { return std::string("close"); },
          [](const MissionControl&) { return std::string("mission-control"); },
          [](const DockRestart&) { return std::string("dock restart"); },
          [](const DockQuit&) { return std::string("dock quit"); },
          [](const LoginItemsAdd& l) { return "login-items add " + quoted(l.url); },
          [](const LoginItemsRemove& l) { return "login-items remove " + quoted(l.url); },
          [](const Screens& s) {
            std::string text = "screens";
            for (std::size_t i = 0; i < s.frames.size(); ++i)
              text += (i ? " ; " : " ") + frame(s.frames[i]);
            return text;
          },
          [](const Relaunch&) { return std::string("relaunch"); },
          [](const Inspect&) { return std::string("inspect"); },
          [](const Snapshot& s) { return "snapshot " + quoted(s.path); },
          [](const OpenWindow& w) { return openWindowText(w); },
          [](const CloseAppWindow& w) { return "window " + quoted(w.app) + " close"; },
          [](const AppResponse& r) { return appResponseText(r); },
          [](const DockSlow& d) { return dockSlowText(d); },
          [](const Tracking& t) { return "tracking " + number(t.seconds); },
          [](const Sleep& s) { return "sleep " + number(s.seconds); },
      },
      action);
}

std::string commandText(const SetupAction& action) {
  return std::visit(
      Overloaded{
          [](const AddScreen& s) { return "screen " + frame(s.frame); },
          [](const AddDockItem& d) {
            static const char* const kKinds[] = {"app", "folder", "trash", "minimized", "item"};
            std::string text = std::string("dock ") + kKinds[static_cast<int>(d.kind)] + " " +
                               titleOrNone(d.title);
            if (d.kind == DockItemKind::Other) text.append(" ").append(d.subrole.value_or("none"));
            if (d.running) text += " running";
            if (d.noExpose) text += " no-expose";
            if (d.bundleID) text += " bundle " + *d.bundleID;
            return text;
          },
          [](const AddDockChild& c) {
            switch (c.child.kind) {
              case DockChild::Identifier: return "dock child " + quoted(c.child.identifier);
              case DockChild::NoIdentifier: return std::string("dock child none");
              case DockChild::NumberIdentifier:
                return "dock child number " + std::to_string(c.child.number);
            }
            return std::string();
          },
          [](const DockChildrenUnreadable&) { return std::string("dock children unreadable"); },
          [](const NoDock&) { return std::string("no dock"); },
          [](const RemoveInfo& r) { return "no info " + r.key; },
          [](const AddApp& a) {
            return "app " + quoted(a.name) + (a.bundleID ? " bundle " + *a.bundleID : "");
          },
          [](const Trusted& t) {
            return std::string(t.stale     ? "trusted stale"
                               : t.trusted ? "trusted yes"
                               : t.listed  ? "trusted no listed"
                                           : "trusted no");
          },
          [](const DefaultsSet& d) { return defaultsText(d); },
          [](const SetInfo& i) { return "info " + i.key + " " + quoted(i.value); },
          [](const AddLoginItem& l) { return "login-item " + quoted(l.url); },
          [](const NoUpdater&) { return std::string("no updater"); },
          [](const AppNap& a) { return "app nap " + number(a.stretch); },
          [](const LoginApproval&) { return std::string("login-item awaiting-approval"); },
          [](const OpenWindow& w) { return openWindowText(w); },
          [](const AppResponse& r) { return appResponseText(r); },
          [](const DockSlow& d) { return dockSlowText(d); },
          [](const BundleAt& b) { return "bundle at " + quoted(b.path); },
          [](const BundleTranslocated&) { return std::string("bundle translocated"); },
      },
      action);
}

std::string scenarioLine(const Command& c) {
  return "at " + number(c.time) + " " + commandText(c.action);
}

}  // namespace sim
