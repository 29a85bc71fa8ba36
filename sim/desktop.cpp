#include "sim/desktop.h"

#include <iostream>

namespace sim {

namespace {

constexpr const char* kAgentName = "Vistrel";
constexpr const char* kAgentBundleID = "com.vistrel.Vistrel";
constexpr const char* kAgentBundleURL = "file:///Applications/Vistrel.app/";

std::string wellKnownBundleID(const std::string& title) {
  if (title == "Finder") return "com.apple.finder";
  if (title == "Safari" || title == "Notes" || title == "Terminal") return "com.apple." + title;
  std::string id = "com.example.";
  for (char c : title)
    if (std::isalnum(static_cast<unsigned char>(c))) id += c;
  return id;
}

std::string bundleURLFor(const std::string& title) {
  if (title == "Finder")
    return platform::fileURLWithPath("/System/Library/CoreServices/Finder.app", true);
  return platform::fileURLWithPath("/Applications/" + title + ".app", true);
}

std::optional<std::string> subroleFor(const DockItemSpec& spec) {
  if (spec.kind == "app") return "AXApplicationDockItem";
  if (spec.kind == "folder") return "AXFolderDockItem";
  if (spec.kind == "trash") return "AXTrashDockItem";
  if (spec.kind == "minimized") return "AXMinimizedWindowDockItem";
  if (spec.subrole == "none") return std::nullopt;
  return spec.subrole;
}

}  // namespace

Desktop::Desktop(Scenario scenario, std::ostream& out, DesktopOptions options)
    : scenario_(std::move(scenario)),
      options_(std::move(options)),
      trace_(out, queue_),
      world_(trace_),
      defaults_(trace_) {
  if (options_.defaultsFile) {
    std::string report;
    defaults_.attachFile(*options_.defaultsFile, &report);
    if (!report.empty()) std::cerr << "vistrel-desktop: " << report << "\n";
  }
}

Desktop::~Desktop() { session_.reset(); }

void Desktop::setUpWorld() {
  bool dockRuns = true;
  std::vector<platform::Rect> screens;
  for (const auto& c : scenario_.setup) {
    if (c.is("screen")) {
      screens.push_back({{*parseNumber(c.word(1)), *parseNumber(c.word(2))},
                         {*parseNumber(c.word(3)), *parseNumber(c.word(4))}});
    } else if (c.is("no") && c.word(1) == "dock") {
      dockRuns = false;
    } else if (c.is("trusted")) {
      world_.trusted = c.word(1) == "yes";
    } else if (c.is("defaults")) {
      platform::PrefValue v;
      parsePrefValue(c.word(2), c.words[3], &v);
      defaults_.preset(c.word(1), v);
    } else if (c.is("dock") && c.word(1) == "child") {
      DockChild child;
      if (c.words[2].quoted) {
        child.kind = DockChild::Identifier;
        child.identifier = c.word(2);
      } else if (c.word(2) == "number") {
        child.kind = DockChild::NumberIdentifier;
        child.number = static_cast<long>(*parseNumber(c.word(3)));
      }
      world_.dock.extraChildren.push_back(child);
    } else if (c.is("dock") && c.word(1) == "children") {
      world_.dock.childrenUnreadable = true;
    }
  }
  if (!screens.empty()) world_.screens = screens;
  bundleInfo_ = bundleInfoFor(options_.resourceDir, scenario_.setup);
  setUpLoginItems();

  if (dockRuns) world_.startDock();
  world_.startProcess("Finder", "com.apple.finder", bundleURLFor("Finder"));
  for (const auto& spec : dockItemsOf(scenario_)) {
    DockItem item{spec.title, subroleFor(spec), std::nullopt, std::nullopt};
    if (spec.kind == "app") {
      item.bundleID = spec.bundleID.value_or(wellKnownBundleID(spec.title));
      item.bundleURL = bundleURLFor(spec.title);
      if (spec.running && !world_.processWithBundleID(*item.bundleID))
        world_.startProcess(spec.title, item.bundleID, item.bundleURL);
    }
    world_.dock.items.push_back(item);
  }
  for (const auto& c : scenario_.setup) {
    if (!c.is("app")) continue;
    std::string id = c.words.size() == 4 ? c.word(3) : wellKnownBundleID(c.word(1));
    if (!world_.processWithBundleID(id))
      world_.startProcess(c.word(1), id, bundleURLFor(c.word(1)));
  }
  const auto& first = world_.screens.front();
  world_.pointer = {first.minX() + first.size.width / 2, first.minY() + first.size.height / 2};
}

void Desktop::begin() {
  setUpWorld();
  scheduleInput(0);
  launch();
}

void Desktop::scheduleInput(std::size_t index) {
  // One input waits in the queue at a time; each queues the next when it
  // runs, so a long scenario does not fill the queue at launch.
  if (index >= scenario_.timed.size()) return;
  queue_.schedule(toNanos(scenario_.timed[index].time), RunQueue::kInput, 0, [this, index] {
    scheduleInput(index + 1);
    apply(scenario_.timed[index]);
  });
}

int Desktop::run() {
  begin();
  advanceTo(endTime());
  finish();
  return exitStatus_;
}

void Desktop::launch() {
  ++launches_;
  world_.agentPid = world_.startProcess(kAgentName, kAgentBundleID, kAgentBundleURL);
  SessionContext ctx(world_, queue_, trace_, defaults_);
  ctx.resourceDir = options_.resourceDir;
  ctx.bundleInfo = &bundleInfo_;
  ctx.loginItems = &loginItems_;
  ctx.owner = launches_;
  ctx.endTime = endTime();
  session_ = std::make_unique<AgentSession>(ctx, [this] { mainLoop(); });
  char name[] = "Vistrel";
  char* argv[] = {name, nullptr};
  exitStatus_ = options_.entry ? options_.entry(1, argv) : 0;
}

void Desktop::mainLoop() {
  while (session_ && !session_->context().stopRequested && queue_.runOne(limit_)) {
  }
}

void Desktop::advanceTo(Nanos t) {
  limit_ = t;
  for (;;) {
    if (session_ && session_->context().stopRequested) {
      endSession();
    } else if (!session_ && relaunchPending_) {
      relaunchPending_ = false;
      launch();
    } else if (session_) {
      mainLoop();
      if (!session_->context().stopRequested) break;
    } else if (!queue_.runOne(limit_)) {
      break;
    }
  }
  queue_.advanceTo(t);
}

void Desktop::endSession() {
  if (!session_) return;
  session_.reset();
  world_.endProcess(world_.agentPid);
  world_.agentPid = 0;
}

void Desktop::finish() {
  endSession();
  defaults_.save();
}

void Desktop::relaunch() {
  relaunchPending_ = true;
  if (session_) {
    trace_.emit(Event::AppQuit);
    session_->context().stopRequested = true;
  }
}

void Desktop::movePointer(const Command& c) {
  if (c.word(1) != "dock" || c.words[1].quoted) {
    world_.pointer = {*parseNumber(c.word(1)), *parseNumber(c.word(2))};
    return;
  }
  std::size_t index = 0;
  if (c.words[2].quoted) {
    while (index < world_.dock.items.size() && world_.dock.items[index].title != c.word(2)) ++index;
  } else {
    index = static_cast<std::size_t>(*parseNumber(c.word(2))) - 1;
  }
  auto centre = world_.itemCocoaCentre(index);
  if (c.words.size() == 5) {
    centre.x += *parseNumber(c.word(3));
    centre.y += *parseNumber(c.word(4));
  }
  world_.pointer = centre;
}

void Desktop::apply(const Command& c) {
  trace_.emit(Event::Input, c.echo());
  const std::string& name = c.word(0);
  if (name == "pointer") {
    movePointer(c);
  } else if (name == "modifiers") {
    world_.modifiers = *parseModifiers(c.word(1));
  } else if (name == "rightclick" || name == "click") {
    // The agent's windows float above the Dock: a click on one goes to the
    // agent itself, which its global monitor does not hear of.
    if (session_ && session_->simAppKit().windowAt(world_.pointer)) return;
    if (name == "click") {
      world_.click();
    } else {
      world_.rightClick();
      if (session_) session_->simEvents().deliverRightMouseDown();
    }
  } else if (name == "grant" || name == "revoke") {
    world_.trusted = name == "grant";
  } else if (name == "defaults") {
    platform::PrefValue v;
    parsePrefValue(c.word(2), c.words[3], &v);
    defaults_.set(c.word(1), v);
  } else if (name == "mission-control") {
    world_.startMissionControl();
  } else if (name == "dock") {
    if (c.word(1) == "restart")
      world_.restartDock();
    else
      world_.quitDock();
  } else if (name == "screens") {
    auto n = screenNumbers(c);
    world_.screens.clear();
    for (std::size_t i = 0; i + 3 < n.size(); i += 4)
      world_.screens.push_back({{n[i], n[i + 1]}, {n[i + 2], n[i + 3]}});
  } else if (name == "relaunch") {
    relaunch();
  } else if (name == "inspect") {
    inspect();
  } else if (name == "snapshot") {
    snapshot(c);
  } else {
    applyShellInput(c);
  }
}

}  // namespace sim
