#include "sim/scenario/command_words.h"

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <sstream>

#include "backend/trace.h"
#include "sim/scenario/scenario_limits.h"

namespace sim::words {

namespace {

using namespace sim::limits;
using backend::quoted;

[[noreturn]] void fail(const std::string& where, const std::string& message) {
  throw ScenarioError(where + ": " + message);
}

[[noreturn]] void notFinite(const std::string& where, const std::string& word);

// A byte that starts no UTF-8 character of its own (10xxxxxx).
bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The kinds of text a command takes, each with its own bound.
enum class Text { Title, String, Word };

std::size_t maxBytes(Text kind) {
  switch (kind) {
    case Text::Title: return kMaxTitleBytes;
    case Text::String: return kMaxStringBytes;
    case Text::Word: return kMaxWordBytes;
  }
  return 0;
}

const char* noun(Text kind) {
  switch (kind) {
    case Text::Title: return "a title";
    case Text::String: return "a string";
    case Text::Word: return "a word";
  }
  return "";
}

// One command's words, its name first; every fault throws "WHERE: NAME: ...".
class Words {
 public:
  Words(std::span<const Token> words, const std::string& where) : w_(words), where_(where) {}

  std::size_t size() const { return w_.size(); }
  const std::string& name() const { return w_[0].text; }
  [[noreturn]] void fail(const std::string& message) const {
    words::fail(where_, excerpt(name()) + ": " + message);
  }
  bool isWord(std::size_t i, const char* text) const {
    return i < size() && !w_[i].quoted && w_[i].text == text;
  }
  bool isQuoted(std::size_t i) const { return i < size() && w_[i].quoted; }
  const Token& token(std::size_t i) const { return w_[i]; }

  // Between lo and hi words in all, the name included.
  void count(std::size_t lo, std::size_t hi) const {
    if (size() >= lo && size() <= hi) return;
    fail("expected " +
         (lo == hi ? std::to_string(lo - 1)
                   : std::to_string(lo - 1) + " to " + std::to_string(hi - 1)) +
         " argument(s), got " + std::to_string(size() - 1));
  }
  double number(std::size_t i) const {
    if (i >= size()) fail("expected a number");
    return words::number(w_[i], name(), where_);
  }
  const std::string& string(std::size_t i, Text kind) const {
    if (!isQuoted(i)) fail("expected a string in double quotes");
    return bounded(i, kind);
  }
  const std::string& word(std::size_t i, Text kind = Text::Word) const {
    if (i >= size() || w_[i].quoted) fail("expected a word");
    return bounded(i, kind);
  }
  // A title in double quotes, or `none` for an item without one.
  std::optional<std::string> titleOrNone(std::size_t i) const {
    if (isWord(i, "none")) return std::nullopt;
    if (!isQuoted(i)) fail("expected a title in double quotes, or none");
    return bounded(i, Text::Title);
  }
  // The index of the option word i is.
  std::size_t oneOf(std::size_t i, std::initializer_list<const char*> options) const {
    const std::string& w = word(i);
    std::size_t index = 0;
    for (const char* o : options) {
      if (w == o) return index;
      ++index;
    }
    expectedOneOf(i, options);
  }
  [[noreturn]] void expectedOneOf(std::size_t i, std::initializer_list<const char*> options) const {
    std::string list;
    for (const char* o : options) list += list.empty() ? o : std::string(", ") + o;
    fail("expected one of " + list + ", got " + excerpt(word(i)));
  }
  // `[bundle ID]` at position i, the last words of the line.
  std::optional<std::string> optionalBundle(std::size_t i) const {
    if (i >= size()) return std::nullopt;
    if (!isWord(i, "bundle") || i + 2 != size()) fail("expected bundle ID at the end");
    return word(i + 1);
  }

 private:
  const std::string& bounded(std::size_t i, Text kind) const {
    const std::string& text = w_[i].text;
    if (text.size() > maxBytes(kind))
      fail(std::string(noun(kind)) + " is at most " + std::to_string(maxBytes(kind)) +
           " bytes: " + (w_[i].quoted ? quoted(excerpt(text)) : excerpt(text)));
    return text;
  }

  std::span<const Token> w_;
  const std::string& where_;
};

// Screens lie within a bound of the origin: beyond it the Dock's layout and
// the hit tests would lose whole points to rounding.
void checkFrame(const Words& k, const platform::Rect& f) {
  if (f.size.width <= 0 || f.size.height <= 0) k.fail("width and height must be positive");
  double limit = kMaxScreenCoordinate;
  if (std::fabs(f.origin.x) > limit || std::fabs(f.origin.y) > limit || f.size.width > limit ||
      f.size.height > limit)
    k.fail("coordinates and sizes are at most 10000000");
}

// A duration D with 0 < D <= most.
double duration(const Words& k, std::size_t i, double most) {
  double d = k.number(i);
  if (!(d > 0) || d > most)
    k.fail("the duration must be more than 0 and at most " + std::to_string(std::lround(most)) +
           " s, got " + excerpt(k.token(i).text));
  return d;
}

AppResponse appResponse(const Words& k) {
  k.count(3, 3);
  AppResponse r;
  if (!k.isWord(1, "dock")) {
    if (!k.isQuoted(1)) k.fail("expected an application's name in double quotes, or dock");
    r.app = k.string(1, Text::Title);
  }
  r.hung = k.oneOf(2, {"hung", "responsive"}) == 0;
  return r;
}

DockSlow dockSlow(const Words& k) {
  k.count(3, 3);
  if (k.isWord(2, "none")) return DockSlow{};
  return DockSlow{duration(k, 2, kMaxDockSlowness)};
}

// `window "App" X Y W H`, or (timed) `window "App" close`.
std::variant<OpenWindow, CloseAppWindow> window(const Words& k, const DockCatalog* dock) {
  const std::string& app = k.string(1, Text::Title);
  if (dock && !dock->applications.empty() && !dock->hasApplication(app))
    k.fail("no application is named " + quoted(app));
  if (k.isWord(2, "close")) {
    k.count(3, 3);
    return CloseAppWindow{app};
  }
  k.count(6, 6);
  platform::Rect frame{{k.number(2), k.number(3)}, {k.number(4), k.number(5)}};
  checkFrame(k, frame);
  return OpenWindow{app, frame};
}

SetupAction bundle(const Words& k) {
  if (k.isWord(1, "translocated")) {
    k.count(2, 2);
    return BundleTranslocated{};
  }
  k.count(3, 3);
  k.oneOf(1, {"at", "translocated"});
  const std::string& path = k.string(2, Text::String);
  if (path.size() < 6 || path[0] != '/' || path.compare(path.size() - 4, 4, ".app") != 0)
    k.fail("the path must be absolute and end in .app, got " + quoted(excerpt(path)));
  return BundleAt{path};
}

DefaultsSet defaultsSet(const Words& k, const std::string& where) {
  k.count(4, 4);
  DefaultsSet d;
  d.key = k.word(1);
  const std::string& type = k.word(2);
  const Token& value = k.token(3);
  if (type == "float" && !value.quoted) {
    d.value = number(value, "defaults", where);
    return d;
  }
  if (type == "string" && value.quoted) k.string(3, Text::String);  // within its bound
  if (auto e = parsePrefValue(type, value, &d.value)) k.fail(*e);
  return d;
}

AddDockItem dockItem(const Words& k) {
  AddDockItem item;
  std::size_t kind = k.oneOf(1, {"app", "folder", "trash", "minimized", "item"});
  item.kind = static_cast<DockItemKind>(kind);
  if (item.kind == DockItemKind::App) {
    item.title = k.titleOrNone(2);
    std::size_t next = 3;
    if (k.isWord(next, "running")) {
      item.running = true;
      ++next;
    }
    if (k.isWord(next, "no-expose")) {
      item.noExpose = true;
      ++next;
    }
    item.bundleID = k.optionalBundle(next);
  } else if (item.kind == DockItemKind::Other) {
    k.count(4, 4);
    item.title = k.titleOrNone(2);
    if (!k.isWord(3, "none")) item.subrole = k.word(3);
  } else {
    k.count(3, 3);
    item.title = k.titleOrNone(2);
  }
  return item;
}

SetupAction dockSetup(const Words& k) {
  if (k.isWord(1, "child")) {
    AddDockChild add;
    if (k.size() == 3 && k.isQuoted(2)) {
      add.child.kind = DockChild::Identifier;
      add.child.identifier = k.string(2, Text::Word);
      return add;
    }
    if (k.size() == 3 && k.isWord(2, "none")) return add;
    k.count(4, 4);
    k.oneOf(2, {"number"});
    double n = k.number(3);
    if (n != std::trunc(n) || std::fabs(n) > 1e15) k.fail("the number must be a whole number");
    add.child.kind = DockChild::NumberIdentifier;
    add.child.number = static_cast<long>(n);
    return add;
  }
  if (k.isWord(1, "children")) {
    k.count(3, 3);
    k.oneOf(2, {"unreadable"});
    return DockChildrenUnreadable{};
  }
  if (k.isWord(1, "slow")) return dockSlow(k);
  if (k.isWord(1, "app") || k.isWord(1, "folder") || k.isWord(1, "trash") ||
      k.isWord(1, "minimized") || k.isWord(1, "item"))
    return dockItem(k);
  k.expectedOneOf(1, {"app", "folder", "trash", "minimized", "item", "child", "children", "slow"});
}

PointerToDock pointerToDock(const Words& k, const DockCatalog* dock) {
  k.count(3, 5);
  if (k.size() == 4) k.fail("an offset needs both DX and DY");
  PointerToDock p;
  if (k.size() == 5) {
    p.dx = k.number(3);
    p.dy = k.number(4);
  }
  if (k.isQuoted(2)) {
    const std::string& title = k.string(2, Text::Title);
    if (dock && !dock->hasTitle(title)) k.fail("no Dock item is titled " + quoted(title));
    p.item = title;
    return p;
  }
  double n = k.number(2);
  std::size_t most = dock ? dock->items : kMaxDockItems;
  if (n < 1 || n > static_cast<double>(most) || n != std::trunc(n))
    k.fail("no Dock item number " + excerpt(k.token(2).text) +
           (dock ? " (the Dock has " + std::to_string(dock->items) + ")"
                 : " (item numbers run from 1 to " + std::to_string(kMaxDockItems) + ")"));
  p.item = static_cast<std::size_t>(n);
  return p;
}

// `screens X Y W H [; X Y W H ...]`: a `;` may stand alone or touch a number.
Screens screens(const Words& k, const std::string& where) {
  const char* shape = "expected X Y W H [; X Y W H ...] with positive sizes";
  std::string text;
  for (std::size_t i = 1; i < k.size(); ++i) {
    if (k.isQuoted(i)) k.fail(shape);
    text += " " + k.token(i).text + " ";
  }
  Screens s;
  std::istringstream groups(text);
  std::string group;
  while (std::getline(groups, group, ';')) {
    std::istringstream items(group);
    std::string w;
    std::vector<double> n;
    while (items >> w && n.size() < 5) {
      NumberFault fault = NumberFault::None;
      auto v = parseFiniteNumber(w, &fault);
      if (fault == NumberFault::NotFinite) notFinite(where, w);
      if (!v) k.fail(shape);
      n.push_back(*v);
    }
    if (n.size() != 4 || n[2] <= 0 || n[3] <= 0) k.fail(shape);
    if (s.frames.size() == kMaxScreens)
      k.fail("at most " + std::to_string(kMaxScreens) + " screens");
    platform::Rect frame{{n[0], n[1]}, {n[2], n[3]}};
    checkFrame(k, frame);
    s.frames.push_back(frame);
  }
  if (s.frames.empty()) k.fail(shape);
  return s;
}

// Written as a number, but NaN, an infinity or beyond the largest double.
void notFinite(const std::string& where, const std::string& word) {
  fail(where, excerpt(word) + " is not a finite number");
}

}  // namespace

std::optional<std::string> lineFault(std::string& line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.size() > kMaxLineBytes)
    return "a line is at most " + std::to_string(kMaxLineBytes) + " bytes";
  for (std::size_t i = 0; i < line.size(); ++i) {
    auto c = static_cast<unsigned char>(line[i]);
    // C0 controls and DEL, and the C1 controls as UTF-8 writes them (U+0080
    // to U+009F: C2 80 to C2 9F), which include a line break of their own.
    if ((c >= 0x20 && c < 0x7F) || c == '\t') continue;
    auto next = i + 1 < line.size() ? static_cast<unsigned char>(line[i + 1]) : 0;
    bool c1 = c == 0xC2 && next >= 0x80 && next <= 0x9F;
    if (c < 0x20 || c == 0x7F || c1) {
      char code[16];
      std::snprintf(code, sizeof code, c1 ? "U+%04X" : "0x%02X", c1 ? next : c);
      return std::string("a control character (") + code + ") at column " + std::to_string(i + 1);
    }
  }
  return std::nullopt;
}

std::string excerpt(const std::string& word) {
  if (word.size() <= limits::kExcerptBytes) return word;
  std::size_t n = limits::kExcerptBytes;
  // Cut between characters, not inside one.
  while (n > 0 && isContinuation(word[n])) --n;
  return word.substr(0, n) + "…";
}

double number(const Token& word, const std::string& command, const std::string& where) {
  if (word.quoted) fail(where, command + ": expected a number");
  NumberFault fault = NumberFault::None;
  if (auto v = parseFiniteNumber(word.text, &fault)) return *v;
  if (fault == NumberFault::NotFinite) notFinite(where, word.text);
  fail(where, command + ": not a number: " + excerpt(word.text));
}

SetupAction setupAction(std::span<const Token> w, const std::string& where) {
  Words k(w, where);
  const std::string& name = k.name();
  if (name == "screen") {
    k.count(5, 5);
    platform::Rect frame{{k.number(1), k.number(2)}, {k.number(3), k.number(4)}};
    checkFrame(k, frame);
    return AddScreen{frame};
  }
  if (name == "dock") return dockSetup(k);
  if (name == "no") {
    k.count(2, 3);
    std::size_t what = k.oneOf(1, {"dock", "info", "updater"});
    if (what == 1) return RemoveInfo{k.word(2)};
    k.count(2, 2);
    if (what == 2) return NoUpdater{};
    return NoDock{};
  }
  if (name == "app" && k.isWord(1, "nap")) {
    k.count(3, 3);
    double stretch = k.number(2);
    if (stretch < 1 || stretch > limits::kMaxAppNapStretch)
      k.fail("App Nap stretches the timers 1 to 100 times");
    return AppNap{stretch};
  }
  if (name == "app" && (k.isWord(1, "dock") || k.isWord(2, "hung") || k.isWord(2, "responsive")))
    return appResponse(k);
  if (name == "app") {
    AddApp app{k.string(1, Text::Title), std::nullopt};
    app.bundleID = k.optionalBundle(2);
    return app;
  }
  if (name == "trusted") {
    if (k.size() == 3) {
      k.oneOf(1, {"no"});
      k.oneOf(2, {"listed"});
      return Trusted{false, false, true};
    }
    k.count(2, 2);
    std::size_t trust = k.oneOf(1, {"yes", "no", "stale"});
    return Trusted{trust != 1, trust == 2};
  }
  if (name == "window") {
    if (k.isWord(2, "close")) k.fail("close is a timed command (after at)");
    return std::get<OpenWindow>(window(k, nullptr));
  }
  if (name == "bundle") return bundle(k);
  if (name == "defaults") return defaultsSet(k, where);
  if (name == "info") {
    k.count(3, 3);
    return SetInfo{k.word(1), k.string(2, Text::String)};
  }
  if (name == "login-item") {
    k.count(2, 2);
    if (k.isWord(1, "awaiting-approval")) return LoginApproval{true};
    return AddLoginItem{k.string(1, Text::String)};
  }
  k.expectedOneOf(0, {"screen", "dock", "no", "app", "trusted", "defaults", "info", "login-item",
                      "window", "bundle"});
}

TimedAction timedAction(std::span<const Token> w, const std::string& where,
                        const DockCatalog* dock) {
  Words k(w, where);
  const std::string& name = k.name();
  if (name == "pointer") {
    if (k.isWord(1, "dock")) return pointerToDock(k, dock);
    k.count(3, 3);
    return PointerTo{k.number(1), k.number(2)};
  }
  if (name == "modifiers") {
    k.count(2, 2);
    if (auto flags = parseModifiers(k.word(1))) return Modifiers{*flags};
    k.expectedOneOf(1, {"none", "command", "option", "shift", "control"});
  }
  if (name == "revoke" && k.size() > 1) {
    k.count(2, 2);
    bool stale = k.oneOf(1, {"stale", "listed"}) == 0;
    return Revoke{stale, !stale};
  }
  if (name == "rightclick" || name == "click" || name == "grant" || name == "revoke" ||
      name == "close" || name == "mission-control" || name == "relaunch" || name == "inspect") {
    k.count(1, 1);
    if (name == "rightclick") return RightClick{};
    if (name == "click") return Click{};
    if (name == "grant") return Grant{};
    if (name == "revoke") return Revoke{};
    if (name == "close") return Close{};
    if (name == "mission-control") return MissionControl{};
    if (name == "relaunch") return Relaunch{};
    return Inspect{};
  }
  if (name == "defaults") return defaultsSet(k, where);
  if (name == "menu" || name == "button") {
    k.count(2, 2);
    const std::string& title = k.string(1, Text::Title);
    if (name == "menu") return Menu{title};
    return Button{title};
  }
  if (name == "check") {
    k.count(3, 3);
    Check check{k.string(1, Text::Title), false};
    check.on = k.oneOf(2, {"on", "off"}) == 0;
    return check;
  }
  if (name == "dock") {
    if (k.isWord(1, "slow")) return dockSlow(k);
    k.count(2, 2);
    if (k.oneOf(1, {"restart", "quit", "slow"}) == 0) return DockRestart{};
    return DockQuit{};
  }
  if (name == "app") {
    AppResponse r = appResponse(k);
    if (r.app && dock && !dock->applications.empty() && !dock->hasApplication(*r.app))
      k.fail("no application is named " + quoted(*r.app));
    return r;
  }
  if (name == "window") {
    auto w = window(k, dock);
    if (auto* open = std::get_if<OpenWindow>(&w)) return *open;
    return std::get<CloseAppWindow>(w);
  }
  if (name == "tracking" || name == "sleep") {
    k.count(2, 2);
    if (name == "tracking") return Tracking{duration(k, 1, kMaxTracking)};
    return Sleep{duration(k, 1, kMaxSleep)};
  }
  if (name == "login-items") {
    k.count(3, 3);
    bool add = k.oneOf(1, {"add", "remove"}) == 0;
    const std::string& url = k.string(2, Text::String);
    if (add) return LoginItemsAdd{url};
    return LoginItemsRemove{url};
  }
  if (name == "screens") return screens(k, where);
  if (name == "snapshot") {
    k.count(2, 2);
    const std::string& path = k.string(1, Text::String);
    if (path.size() < 5 || path.compare(path.size() - 4, 4, ".svg") != 0)
      k.fail("the file name must end in .svg");
    return Snapshot{path};
  }
  k.expectedOneOf(
      0, {"pointer",  "modifiers",   "rightclick", "click",    "grant",   "revoke",
          "defaults", "menu",        "button",     "check",    "close",   "mission-control",
          "dock",     "login-items", "screens",    "relaunch", "inspect", "snapshot",
          "window",   "app",         "tracking",   "sleep"});
}

}  // namespace sim::words
