#include "backend/trace.h"

#include <array>
#include <cinttypes>
#include <cstdio>

namespace backend {

namespace {
constexpr std::array<const char*, static_cast<std::size_t>(Event::Count)> kNames = {
    "input.",
    "input.error",
    "defaults.write",
    "defaults.sync",
    "ax.systemwide",
    "ax.action",
    "ax.prompt",
    "timer.start",
    "timer.stop",
    "dispatch.start",
    "dispatch.stop",
    "monitor.install",
    "perform.schedule",
    "perform.run",
    "perform.cancel",
    "dock.appexpose",
    "dock.missioncontrol",
    "dock.stack",
    "dock.launch",
    "dock.activate",
    "dock.restore",
    "dock.menu",
    "dock.dismiss",
    "dock.start",
    "dock.quit",
    "event.post",
    "notify",
    "log",
    "statusitem.create",
    "statusitem.menu",
    "window.show",
    "window.close",
    "window.move",
    "window.center",
    "control.title",
    "control.image",
    "app.launch",
    "app.activate",
    "app.about",
    "app.quit",
    "url.open",
    "updater.delegate",
    "updater.feed",
    "updater.automatic",
    "updater.interval",
    "updater.check",
    "loginitems.insert",
    "loginitems.remove",
    "kvo.change",
    "inspect",
    "snapshot",
    "window.resize",
    "setup.check",
    "setup.stale",
    "setup.recovered",
    "setup.advice",
    "ax.wait",
    "runloop.tracking",
    "runloop.default",
    "system.sleep",
    "system.wake",
};
// Every event has its name: a missing one would leave the last entry empty.
static_assert(kNames.back() != nullptr);
}  // namespace

const char* eventName(Event e) { return kNames[static_cast<std::size_t>(e)]; }

std::string quoted(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    switch (c) {
      // A line break would split the line it is written on: an event, a stored entry.
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '"':
      case '\\':
        out += '\\';
        out += c;
        break;
      default: out += c;
    }
  }
  return out + "\"";
}

std::string formatSeconds(std::int64_t nanos) {
  // Round to the millisecond in integers, so that no binary fraction shows;
  // the magnitude is unsigned so that the extremes do not overflow.
  std::uint64_t magnitude =
      nanos < 0 ? 0 - static_cast<std::uint64_t>(nanos) : static_cast<std::uint64_t>(nanos);
  std::uint64_t ms = (magnitude + 500000) / 1000000;
  // What rounds to zero is zero, whichever side it came from.
  bool negative = nanos < 0 && ms > 0;
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s%" PRIu64 ".%03" PRIu64, negative ? "-" : "", ms / 1000,
                ms % 1000);
  return buf;
}

Trace& Trace::muted() {
  struct NoClock final : Clock {
    std::int64_t now() const override { return 0; }
  };
  static NoClock clock;
  static std::ostream nowhere(nullptr);
  static Trace trace(nowhere, clock, false);
  return trace;
}

void Trace::emit(Event e, const std::string& args) {
  if (!on_) return;
  out_ << formatSeconds(clock_.now()) << ' ' << eventName(e);
  if (!args.empty()) out_ << (e == Event::Input ? "" : " ") << args;
  out_ << '\n';
  ++lines_;
}

void Trace::emitBlock(Event e, const std::string& lines) {
  if (!on_) return;
  emit(e);
  std::size_t start = 0;
  while (start < lines.size()) {
    std::size_t end = lines.find('\n', start);
    if (end == std::string::npos) end = lines.size();
    // Blank lines of the block stay blank: no trailing white space.
    if (end > start) out_ << "    " << lines.substr(start, end - start);
    out_ << '\n';
    ++lines_;
    start = end + 1;
  }
}

std::string threeDecimals(double seconds) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.3f", seconds);
  return buf;
}

std::string formatCoordinate(double v) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.10g", v);
  return buf;
}

std::string elementLabel(bool isElement, const std::optional<std::string>& title,
                         const std::optional<std::string>& role) {
  if (!isElement) return "none";
  if (title) return quoted(*title);
  return role ? "<" + *role + ">" : "none";
}

namespace {
std::string timerName(const std::string& owner, const std::string& selector) {
  return owner + "." + selector;
}
std::string windowArgs(const std::string& name, platform::Point origin) {
  return quoted(name) + " " + formatCoordinate(origin.x) + " " + formatCoordinate(origin.y);
}
}  // namespace

void Trace::timerStart(const std::string& owner, const std::string& selector, double interval) {
  emit(Event::TimerStart, timerName(owner, selector) + " " + threeDecimals(interval));
}
void Trace::timerStop(const std::string& owner, const std::string& selector) {
  emit(Event::TimerStop, timerName(owner, selector));
}
void Trace::dispatchStart(const std::string& owner, double interval) {
  emit(Event::DispatchStart, owner + " " + threeDecimals(interval));
}
void Trace::dispatchStop(const std::string& owner) { emit(Event::DispatchStop, owner); }
void Trace::monitorInstall(std::uint64_t mask) {
  // The agent installs one monitor, for right-button presses (mask 8).
  if (mask & 8) emit(Event::MonitorInstall, "rightMouseDown");
}
void Trace::performSchedule(const std::string& selector, double delay) {
  emit(Event::PerformSchedule, selector + " " + threeDecimals(delay));
}
void Trace::performRun(const std::string& selector) { emit(Event::PerformRun, selector); }
void Trace::performCancel(const std::optional<std::string>& selector, std::size_t n) {
  emit(Event::PerformCancel, selector.value_or("all") + " " + std::to_string(n));
}
void Trace::axAction(const std::string& action, const std::string& element, std::int32_t code) {
  emit(Event::AxAction, action + " " + element + " " + std::to_string(code));
}
void Trace::axSystemwide() { emit(Event::AxSystemwide); }
void Trace::axPrompt() { emit(Event::AxPrompt); }
void Trace::eventPost(bool keyDown, std::uint16_t keyCode, const std::string& process) {
  emit(Event::EventPost,
       std::string(keyDown ? "keydown " : "keyup ") + std::to_string(keyCode) + " " + process);
}
void Trace::notify(const std::string& name) { emit(Event::Notify, name); }
void Trace::log(const std::string& text) { emit(Event::Log, quoted(text)); }
void Trace::statusItemCreate() { emit(Event::StatusitemCreate); }
void Trace::statusItemMenu(const platform::Menu& menu) {
  std::string titles;
  for (const auto& item : menu.items()) {
    if (!titles.empty()) titles += ' ';
    titles += item->isSeparatorItem() ? "---" : quoted(item->title());
  }
  emit(Event::StatusitemMenu, titles);
}
void Trace::windowShow(const std::string& name, const platform::Rect& frame) {
  emit(Event::WindowShow, windowArgs(name, frame.origin) + " " +
                              formatCoordinate(frame.size.width) + " " +
                              formatCoordinate(frame.size.height));
}
void Trace::windowResize(const std::string& name, const platform::Rect& frame) {
  emit(Event::WindowResize, windowArgs(name, frame.origin) + " " +
                                formatCoordinate(frame.size.width) + " " +
                                formatCoordinate(frame.size.height));
}
void Trace::windowClose(const std::string& name) { emit(Event::WindowClose, quoted(name)); }
void Trace::windowMove(const std::string& name, platform::Point origin) {
  emit(Event::WindowMove, windowArgs(name, origin));
}
const char* setupItemName(platform::SetupItem item) {
  switch (item) {
    case platform::SetupItem::Trusted: return "trusted";
    case platform::SetupItem::Accessibility: return "accessibility";
    case platform::SetupItem::Dock: return "dock";
    case platform::SetupItem::ShowExpose: return "expose";
    case platform::SetupItem::Timer: return "timer";
    case platform::SetupItem::LoginItem: return "login";
    case platform::SetupItem::Updates: return "updates";
    case platform::SetupItem::Location: return "location";
  }
  return "unknown";
}
void Trace::setupFinding(const platform::SetupFinding& finding) {
  emit(Event::SetupCheck, std::string(setupItemName(finding.item)) +
                              (finding.passed ? " pass " : " fail ") + quoted(finding.detail));
  // What to do about a failure, on a line of its own, as the window shows it.
  if (!finding.advice.empty())
    emit(Event::SetupAdvice,
         std::string(setupItemName(finding.item)) + " " + quoted(finding.advice));
}
void Trace::stalePermission(bool stale) { emit(stale ? Event::SetupStale : Event::SetupRecovered); }
void Trace::windowCenter(const std::string& name, platform::Point origin) {
  emit(Event::WindowCenter, windowArgs(name, origin));
}
void Trace::controlTitle(const std::string& title) { emit(Event::ControlTitle, quoted(title)); }
void Trace::controlImage(const platform::Image* image) {
  emit(Event::ControlImage, image ? image->name() : "none");
}
void Trace::appActivate() { emit(Event::AppActivate); }
void Trace::appAbout() { emit(Event::AppAbout); }
void Trace::appQuit() { emit(Event::AppQuit); }
void Trace::urlOpen(const std::string& url) { emit(Event::UrlOpen, quoted(url)); }
void Trace::updaterDelegate() { emit(Event::UpdaterDelegate); }
void Trace::updaterFeed(const std::optional<std::string>& url) {
  emit(Event::UpdaterFeed, url ? quoted(*url) : "none");
}
void Trace::updaterAutomatic(bool automatic) {
  emit(Event::UpdaterAutomatic, automatic ? "true" : "false");
}
void Trace::updaterInterval(double seconds) {
  char text[48];
  std::snprintf(text, sizeof text, "%g", seconds);
  emit(Event::UpdaterInterval, text);
}
void Trace::updaterCheck(bool userInitiated) {
  emit(Event::UpdaterCheck, userInitiated ? "user" : "background");
}
void Trace::loginItemsInsert(const std::string& url, bool first) {
  emit(Event::LoginitemsInsert, quoted(url) + (first ? " first" : " last"));
}
void Trace::loginItemsRemove(const std::string& url) { emit(Event::LoginitemsRemove, quoted(url)); }
void Trace::kvoChange(const std::string& key) { emit(Event::KvoChange, key); }

}  // namespace backend
