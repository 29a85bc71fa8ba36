#include "sim/desktop/desktop.h"

#include <chrono>
#include <iostream>

#include "sim/scenario/overloaded.h"
#include "sim/stored/stored_file.h"

namespace sim {

namespace {

constexpr const char* kAgentName = "Vistrel";
constexpr const char* kAgentBundleID = "com.vistrel.Vistrel";

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

std::optional<std::string> subroleFor(const AddDockItem& spec) {
  switch (spec.kind) {
    case DockItemKind::App: return "AXApplicationDockItem";
    case DockItemKind::Folder: return "AXFolderDockItem";
    case DockItemKind::Trash: return "AXTrashDockItem";
    case DockItemKind::Minimized: return "AXMinimizedWindowDockItem";
    case DockItemKind::Other: return spec.subrole;
  }
  return std::nullopt;
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
    printStoredFileReport(report);
  }
  // A flood of changes (a page adding items at once) saves the list at most
  // once a second by the wall clock, and at the end: what is written grows
  // with the time spent changing, not with the file's size times changes.
  loginItems_.coalesceSaves(kLoginItemsSaveInterval, [] {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  });
}

Desktop::~Desktop() { session_.reset(); }

void Desktop::setUpWorld() {
  bool dockRuns = true;
  std::vector<platform::Rect> screens;
  for (const auto& c : scenario_.setup) {
    const SetupAction& a = c.action;
    if (auto* screen = std::get_if<AddScreen>(&a)) {
      screens.push_back(screen->frame);
    } else if (std::holds_alternative<NoDock>(a)) {
      dockRuns = false;
    } else if (auto* trust = std::get_if<Trusted>(&a)) {
      world_.trusted = trust->trusted;
      world_.staleTrust = trust->stale;
      world_.listedForEarlierBuild = trust->listed;
    } else if (auto* slow = std::get_if<DockSlow>(&a)) {
      world_.dock.slowness = toNanos(slow->seconds);
    } else if (auto* at = std::get_if<BundleAt>(&a)) {
      world_.agentBundlePath = at->path;
    } else if (std::holds_alternative<BundleTranslocated>(a)) {
      world_.translocated = true;
    } else if (std::holds_alternative<NoUpdater>(a)) {
      world_.updaterInBuild = false;
    } else if (auto* nap = std::get_if<AppNap>(&a)) {
      world_.timerStretch = nap->stretch;
    } else if (std::holds_alternative<LoginApproval>(a)) {
      world_.loginApprovalPending = true;
    } else if (auto* d = std::get_if<DefaultsSet>(&a)) {
      defaults_.preset(d->key, d->value);
    } else if (auto* child = std::get_if<AddDockChild>(&a)) {
      world_.dock.extraChildren.push_back(child->child);
    } else if (std::holds_alternative<DockChildrenUnreadable>(a)) {
      world_.dock.childrenUnreadable = true;
    }
  }
  if (!screens.empty()) world_.screens = screens;
  bundleInfo_ = bundleInfoFor(options_.resourceDir, scenario_.setup);
  setUpLoginItems();

  // The Dock, Finder, the agent and at most one a set-up line.
  world_.reserveProcesses(scenario_.setup.size() + 3);
  if (dockRuns) world_.startDock();
  world_.startProcess("Finder", "com.apple.finder", bundleURLFor("Finder"));
  auto specs = dockItemsOf(scenario_.setup);
  world_.dock.items.reserve(specs.size());
  firstItemTitled_.reserve(specs.size());
  for (const auto& spec : specs) {
    std::size_t number = world_.dock.items.size() + 1;
    DockItem item{spec.title, subroleFor(spec), std::nullopt, std::nullopt};
    item.offersShowExpose = !spec.noExpose;
    if (spec.kind == DockItemKind::App) {
      // An application without a title is known by its place in the Dock.
      std::string name = spec.title.value_or("item" + std::to_string(number));
      item.bundleID = spec.bundleID.value_or(wellKnownBundleID(name));
      item.bundleURL = bundleURLFor(name);
      if (spec.running && !world_.runsBundleID(*item.bundleID))
        world_.startProcess(item.processName(), item.bundleID, item.bundleURL);
    }
    if (item.title) firstItemTitled_.try_emplace(*item.title, number - 1);
    world_.dock.items.push_back(std::move(item));
  }
  for (const auto& c : scenario_.setup) {
    auto* app = std::get_if<AddApp>(&c.action);
    if (!app) continue;
    std::string id = app->bundleID.value_or(wellKnownBundleID(app->name));
    if (!world_.runsBundleID(id)) world_.startProcess(app->name, id, bundleURLFor(app->name));
  }
  // Windows and hung applications, once every process runs (the loader
  // checked that each named one does).
  for (const auto& c : scenario_.setup) {
    if (auto* w = std::get_if<OpenWindow>(&c.action)) openAppWindow(*w, c.line);
    if (auto* r = std::get_if<AppResponse>(&c.action)) setResponse(*r, c.line);
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
  runEnd_ = endTime();
  begin();
  advanceTo(endTime());
  finish();
  if (!defaults_.changesKept() || !loginItems_.changesKept()) return kExitChangesNotKept;
  return exitStatus_;
}

void Desktop::launch() {
  ++launches_;
  world_.agentPid = world_.startProcess(kAgentName, kAgentBundleID,
                                        platform::fileURLWithPath(agentBundlePath(), true));
  SessionContext ctx(world_, queue_, trace_, defaults_);
  ctx.resourceDir = options_.resourceDir;
  ctx.bundleInfo = &bundleInfo_;
  ctx.loginItems = &loginItems_;
  ctx.owner = launches_;
  ctx.endTime = runEnd_;
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
  loginItems_.saveIfDue();
}

void Desktop::endSession() {
  if (!session_) return;
  // A process that ends holding a menu lets go of it.
  if (session_->context().eventTracking) queue_.unhold(RunQueue::kDefaultMode);
  session_.reset();
  world_.endProcess(world_.agentPid);
  world_.agentPid = 0;
}

void Desktop::finish() {
  endSession();
  defaults_.saveIfChanged();
  loginItems_.saveIfBehind();
}

void Desktop::relaunch() {
  relaunchPending_ = true;
  if (session_) {
    trace_.emit(Event::AppQuit);
    session_->context().stopRequested = true;
  }
}

void Desktop::movePointer(const PointerToDock& p, int line) {
  std::optional<std::size_t> index;
  if (auto* title = std::get_if<std::string>(&p.item)) {
    auto it = firstItemTitled_.find(*title);
    if (it != firstItemTitled_.end()) index = it->second;
  } else if (std::size_t n = std::get<std::size_t>(p.item);
             n >= 1 && n <= world_.dock.items.size()) {
    index = n - 1;
  }
  // A scenario file never gets here with an item the Dock lacks (its loader
  // checks); a live session's command may.
  if (!index) {
    inputError(line, "the Dock has no such item");
    return;
  }
  auto centre = world_.itemCocoaCentre(*index);
  centre.x += p.dx;
  centre.y += p.dy;
  world_.pointer = centre;
}

void Desktop::click(bool right) {
  // The agent's windows float above the Dock: a click on one goes to the
  // agent itself, which its global monitor does not hear of.
  if (session_ && session_->simAppKit().windowAt(world_.pointer)) return;
  if (!right) {
    world_.click();
  } else {
    world_.rightClick();
    toAgent([this] {
      if (session_) session_->simEvents().deliverRightMouseDown();
    });
  }
}

void Desktop::apply(const Command& c) {
  trace_.emit(Event::Input, c.echo());
  // A scenario file puts nothing inside a sleep; a live session may.
  if (world_.wakeAt) {
    inputError(c.line, "the Mac is asleep");
    return;
  }
  // What the agent's own process handles waits while it is blocked.
  if (session_ && queue_.holding(RunQueue::kAgentWork) && goesToTheAgent(c.action)) {
    toAgent([this, c] { applyNow(c); });
    return;
  }
  applyNow(c);
}

void Desktop::applyNow(const Command& c) {
  std::visit(Overloaded{
                 [&](const PointerTo& p) {
                   world_.pointer = {p.x, p.y};
                 },
                 [&](const PointerToDock& p) { movePointer(p, c.line); },
                 [&](const Modifiers& m) { world_.modifiers = m.flags; },
                 [&](const RightClick&) { click(true); },
                 [&](const Click&) { click(false); },
                 // Granting again (removed from the list and added) mends a
                 // stale permission too.
                 [&](const Grant&) {
                   world_.trusted = true;
                   world_.staleTrust = false;
                   world_.listedForEarlierBuild = false;
                 },
                 [&](const Revoke& r) {
                   if (r.stale) {
                     world_.staleTrust = true;
                   } else {
                     world_.trusted = false;
                     world_.listedForEarlierBuild = world_.listedForEarlierBuild || r.listed;
                   }
                 },
                 [&](const DefaultsSet& d) { defaults_.set(d.key, d.value); },
                 [&](const MissionControl&) { world_.startMissionControl(); },
                 [&](const DockRestart&) { world_.restartDock(); },
                 [&](const DockQuit&) { world_.quitDock(); },
                 [&](const Screens& s) { world_.screens = s.frames; },
                 [&](const Relaunch&) { relaunch(); },
                 [&](const Inspect&) { inspect(); },
                 [&](const Snapshot& s) { snapshot(s.path, c.line); },
                 [&](const LoginItemsAdd& l) { addLoginItem(l.url); },
                 [&](const LoginItemsRemove& l) { removeLoginItem(l.url); },
                 [&](const Menu& m) { chooseMenuItem(m.title, c.line); },
                 [&](const Button& b) { pressButton(b.title, c.line); },
                 [&](const Check& k) { setCheckbox(k.title, k.on, c.line); },
                 [&](const Close&) { closeWindow(c.line); },
                 [&](const OpenWindow& w) { openAppWindow(w, c.line); },
                 [&](const CloseAppWindow& w) { closeAppWindow(w.app, c.line); },
                 [&](const AppResponse& r) { setResponse(r, c.line); },
                 [&](const DockSlow& d) { world_.dock.slowness = toNanos(d.seconds); },
                 [&](const Tracking& t) { startTracking(t.seconds, c.line); },
                 [&](const Sleep& s) { sleep(s.seconds); },
             },
             c.action);
}

}  // namespace sim
