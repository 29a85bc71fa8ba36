#include "sim/trace.h"

#include <array>
#include <cinttypes>
#include <cstdio>

namespace sim {

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
};
// Every event has its name: a missing one would leave the last entry empty.
static_assert(kNames.back() != nullptr);
}  // namespace

const char* eventName(Event e) { return kNames[static_cast<std::size_t>(e)]; }

std::string quoted(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string formatSeconds(std::int64_t nanos) {
  // Round to the millisecond in integers, so that no binary fraction shows.
  bool negative = nanos < 0;
  std::int64_t ms = ((negative ? -nanos : nanos) + 500000) / 1000000;
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s%" PRId64 ".%03" PRId64, negative ? "-" : "", ms / 1000,
                ms % 1000);
  return buf;
}

void Trace::emit(Event e, const std::string& args) {
  out_ << formatSeconds(clock_.now()) << ' ' << eventName(e);
  if (!args.empty()) out_ << (e == Event::Input ? "" : " ") << args;
  out_ << '\n';
  ++lines_;
}

void Trace::emitBlock(Event e, const std::string& lines) {
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

}  // namespace sim
