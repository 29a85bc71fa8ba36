#include "sim/world/world.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {
constexpr const char* kDockName = "Dock";
constexpr const char* kDockBundleID = "com.apple.dock";
constexpr const char* kDockURL = "file:///System/Library/CoreServices/Dock.app/";
}  // namespace

bool DockItem::isApplication() const { return subrole && *subrole == "AXApplicationDockItem"; }

pid_t World::startProcess(const std::string& name, std::optional<std::string> bundleID,
                          std::optional<std::string> bundleURL) {
  pid_t pid = nextPid_++;
  if (bundleID) pidsByBundleID_[*bundleID].push_back(pid);
  processes_.push_back({pid, name, std::move(bundleID), std::move(bundleURL)});
  return pid;
}

void World::endProcess(pid_t pid) {
  const Process* p = process(pid);
  if (!p) return;
  std::erase_if(windows_, [pid](const AppWindow& w) { return w.pid == pid; });
  if (p->bundleID) {
    auto it = pidsByBundleID_.find(*p->bundleID);
    std::erase(it->second, pid);
    if (it->second.empty()) pidsByBundleID_.erase(it);
  }
  processes_.erase(processes_.begin() + (p - processes_.data()));
}

void World::reserveProcesses(std::size_t n) {
  processes_.reserve(processes_.size() + n);
  pidsByBundleID_.reserve(pidsByBundleID_.size() + n);
}

const Process* World::process(pid_t pid) const {
  // Identifiers are handed out in increasing order and the list keeps
  // launch order, so it is sorted by identifier.
  auto it = std::lower_bound(processes_.begin(), processes_.end(), pid,
                             [](const Process& p, pid_t id) { return p.pid < id; });
  return it != processes_.end() && it->pid == pid ? &*it : nullptr;
}

Process* World::mutableProcess(pid_t pid) { return const_cast<Process*>(process(pid)); }

Process* World::processNamed(const std::string& name) {
  for (auto& p : processes_)
    if (p.name == name && p.pid != agentPid) return &p;
  return nullptr;
}

void World::openWindow(pid_t pid, const platform::Rect& cocoaFrame) {
  windows_.push_back({nextWindowId_++, pid, cocoaFrame});
}

bool World::closeTopWindow(pid_t pid) {
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) {
    if (it->pid != pid) continue;
    windows_.erase(std::next(it).base());
    return true;
  }
  return false;
}

const AppWindow* World::window(std::uint64_t id) const {
  for (const auto& w : windows_)
    if (w.id == id) return &w;
  return nullptr;
}

platform::Rect World::carbonFrame(const AppWindow& w) const {
  return {{w.frame.minX(), firstScreenTop() - w.frame.maxY()}, w.frame.size};
}

const AppWindow* World::windowAtCarbon(platform::Point p) const {
  for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
    if (platform::pointInRect(p, carbonFrame(*it))) return &*it;
  return nullptr;
}

const std::vector<pid_t>& World::pidsWithBundleID(const std::string& bundleID) const {
  static const std::vector<pid_t> none;
  auto it = pidsByBundleID_.find(bundleID);
  return it == pidsByBundleID_.end() ? none : it->second;
}

const Process* World::processWithBundleID(const std::string& bundleID) const {
  auto it = pidsByBundleID_.find(bundleID);
  return it == pidsByBundleID_.end() ? nullptr : process(it->second.front());
}

bool World::isRunning(const DockItem& item) const {
  return item.bundleID && runsBundleID(*item.bundleID);
}

void World::startDock() {
  dock.pid = startProcess(kDockName, kDockBundleID, kDockURL);
  ++dock.generation;
}

double World::firstScreenTop() const { return screens.empty() ? 0 : screens.front().maxY(); }

platform::Point World::cocoaToCarbon(platform::Point p) const {
  return {p.x, firstScreenTop() - p.y};
}

platform::Rect World::itemCarbonFrame(std::size_t index) const {
  if (screens.empty()) return {};
  const auto& first = screens.front();
  double rowWidth = kDockItemSide * static_cast<double>(dock.items.size());
  double x =
      first.minX() + (first.size.width - rowWidth) / 2 + kDockItemSide * static_cast<double>(index);
  double bottom = first.minY() + kDockBottomGap;  // Cocoa
  double top = firstScreenTop() - (bottom + kDockItemSide);
  return {{x, top}, {kDockItemSide, kDockItemSide}};
}

platform::Point World::itemCocoaCentre(std::size_t index) const {
  auto f = itemCarbonFrame(index);
  return {f.minX() + kDockItemSide / 2, firstScreenTop() - (f.minY() + kDockItemSide / 2)};
}

std::optional<std::size_t> World::itemAtCarbon(platform::Point p) const {
  // A row wider than the screen hangs off it; off every screen is nothing.
  if (!dock.pid || !onAnyScreenCarbon(p) || dock.items.empty()) return std::nullopt;
  // The items stand in one row of equal widths: the point's column names
  // the item. Rounding may put the point on a neighbour's edge, so the
  // neighbours are asked too, lowest first, as a walk along the row would.
  double column = (p.x - itemCarbonFrame(0).minX()) / kDockItemSide;
  if (!(column > -2 && column < static_cast<double>(dock.items.size()) + 1)) return std::nullopt;
  auto guess = static_cast<long>(std::floor(column));
  for (long i = std::max(0L, guess - 1); i <= guess + 1; ++i) {
    auto index = static_cast<std::size_t>(i);
    if (index < dock.items.size() && platform::pointInRect(p, itemCarbonFrame(index))) return index;
  }
  return std::nullopt;
}

bool World::onAnyScreenCarbon(platform::Point p) const {
  double top = firstScreenTop();
  return std::any_of(screens.begin(), screens.end(), [&](const platform::Rect& s) {
    platform::Rect carbon{{s.minX(), top - s.maxY()}, s.size};
    return platform::pointInRect(p, carbon);
  });
}

std::optional<std::size_t> World::itemUnderPointer() const {
  return itemAtCarbon(cocoaToCarbon(pointer));
}

std::string World::itemLabel(std::size_t index) const {
  const auto& title = dock.items[index].title;
  return title ? quoted(*title) : "<AXDockItem>";
}

void World::showExpose(std::size_t index) {
  dock.expose = index;
  trace.emit(Event::DockAppexpose, itemLabel(index));
}

void World::press(std::size_t index) {
  auto& item = dock.items[index];
  const std::string title = itemLabel(index);
  if (item.isApplication()) {
    if (isRunning(item)) {
      trace.emit(Event::DockActivate, title);
    } else {
      startProcess(item.processName(), item.bundleID, item.bundleURL);
      trace.emit(Event::DockLaunch, title);
    }
  } else if (item.subrole &&
             (*item.subrole == "AXFolderDockItem" || *item.subrole == "AXTrashDockItem")) {
    dock.stack = index;
    trace.emit(Event::DockStack, title);
  } else if (item.subrole && *item.subrole == "AXMinimizedWindowDockItem") {
    trace.emit(Event::DockRestore, title);
  }
}

void World::openMenu(std::size_t index) {
  dock.menu = index;
  trace.emit(Event::DockMenu, itemLabel(index));
}

void World::escape() {
  if (dock.expose) {
    dock.expose.reset();
    trace.emit(Event::DockDismiss, "appexpose");
  }
  if (dock.missionControl) {
    dock.missionControl = false;
    trace.emit(Event::DockDismiss, "missioncontrol");
  }
  if (dock.stack) {
    dock.stack.reset();
    trace.emit(Event::DockDismiss, "stack");
  }
}

bool World::closeMenu() {
  if (!dock.menu) return false;
  dock.menu.reset();
  trace.emit(Event::DockDismiss, "menu");
  return true;
}

// An open menu takes either click and closes; otherwise a right-click opens
// the item's menu and a click presses the item.
void World::rightClick() {
  if (closeMenu()) return;
  if (auto item = itemUnderPointer()) openMenu(*item);
}

void World::click() {
  if (closeMenu()) return;
  if (auto item = itemUnderPointer()) press(*item);
}

void World::startMissionControl() {
  if (!dock.pid) return;
  dock.missionControl = true;
  trace.emit(Event::DockMissioncontrol);
}

void World::restartDock() {
  // A new process: new identifier, nothing showing, old elements invalid.
  quitDock();
  startDock();
  trace.emit(Event::DockStart, std::to_string(dock.pid));
}

void World::quitDock() {
  if (!dock.pid) return;
  endProcess(dock.pid);
  dock.pid = 0;
  ++dock.generation;
  dock.expose.reset();
  dock.missionControl = false;
  dock.stack.reset();
  dock.menu.reset();
  trace.emit(Event::DockQuit);
}

}  // namespace sim
