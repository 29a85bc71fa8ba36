#include "sim/world.h"

#include <algorithm>

namespace sim {

namespace {
constexpr const char* kDockName = "Dock";
constexpr const char* kDockBundleID = "com.apple.dock";
constexpr const char* kDockURL = "file:///System/Library/CoreServices/Dock.app/";
}  // namespace

bool DockItem::isApplication() const { return subrole && *subrole == "AXApplicationDockItem"; }

pid_t World::startProcess(const std::string& name, std::optional<std::string> bundleID,
                          std::optional<std::string> bundleURL) {
  Process p{nextPid_++, name, std::move(bundleID), std::move(bundleURL)};
  processes.push_back(p);
  return p.pid;
}

void World::endProcess(pid_t pid) {
  std::erase_if(processes, [pid](const Process& p) { return p.pid == pid; });
}

const Process* World::process(pid_t pid) const {
  for (const auto& p : processes)
    if (p.pid == pid) return &p;
  return nullptr;
}

const Process* World::processWithBundleID(const std::string& bundleID) const {
  for (const auto& p : processes)
    if (p.bundleID && *p.bundleID == bundleID) return &p;
  return nullptr;
}

bool World::isRunning(const DockItem& item) const {
  return item.bundleID && processWithBundleID(*item.bundleID);
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
  if (!dock.pid || !onAnyScreenCarbon(p)) return std::nullopt;
  for (std::size_t i = 0; i < dock.items.size(); ++i)
    if (platform::pointInRect(p, itemCarbonFrame(i))) return i;
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

void World::showExpose(std::size_t index) {
  dock.expose = index;
  trace.emit(Event::DockAppexpose, quoted(dock.items[index].title));
}

void World::press(std::size_t index) {
  auto& item = dock.items[index];
  const std::string title = quoted(item.title);
  if (item.isApplication()) {
    if (isRunning(item)) {
      trace.emit(Event::DockActivate, title);
    } else {
      startProcess(item.title, item.bundleID, item.bundleURL);
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
  trace.emit(Event::DockMenu, quoted(dock.items[index].title));
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
