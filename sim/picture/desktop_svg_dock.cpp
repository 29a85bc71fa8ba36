// The Dock in the desktop's picture: its items, and what it shows (App
// Exposé, Mission Control, an open stack, an item's menu).
#include <algorithm>
#include <vector>

#include "sim/picture/desktop_scene.h"
#include "sim/picture/desktop_svg_parts.h"

namespace sim {

namespace {

constexpr double kIconInset = 4;

std::string kindOf(const DockItem& item) {
  if (!item.subrole) return "item";
  if (*item.subrole == "AXApplicationDockItem") return "app";
  if (*item.subrole == "AXFolderDockItem") return "folder";
  if (*item.subrole == "AXTrashDockItem") return "trash";
  if (*item.subrole == "AXMinimizedWindowDockItem") return "minimized";
  return "item";
}

// Applications get a colour of their own, the same on every picture.
std::string appColour(const std::string& title) {
  static const char* const kColours[] = {"#e8584f", "#f0a030", "#3fb950", "#2f81f7",
                                         "#a371f7", "#db61a2", "#1f9e9e", "#8b6b4a"};
  std::size_t h = 0;
  for (unsigned char ch : title) h = h * 31 + ch;
  return kColours[h % (sizeof kColours / sizeof kColours[0])];
}

std::string iconColour(const std::string& kind, const std::string& title) {
  if (kind == "app") return appColour(title);
  if (kind == "folder") return "#5aa7e8";
  if (kind == "trash") return "#a7b0ba";
  if (kind == "minimized") return "#f5f5f7";
  return "#6e6e73";
}

// A Dock item's frame in Cocoa coordinates.
platform::Rect cocoaFrame(const World& world, std::size_t i) {
  auto f = world.itemCarbonFrame(i);
  return {{f.minX(), world.firstScreenTop() - f.maxY()}, f.size};
}

void panel(SvgCanvas& c, double x, double y, double w, double h, const std::string& fill) {
  c.w.leaf("rect", {{"x", svgNumber(x)},
                    {"y", svgNumber(y)},
                    {"width", svgNumber(w)},
                    {"height", svgNumber(h)},
                    {"rx", "10"},
                    {"fill", fill},
                    {"stroke", "rgba(0,0,0,0.25)"}});
}

void label(SvgCanvas& c, double x, double y, const std::string& text, const char* size,
           const char* fill, const char* anchor = "middle") {
  c.w.textElement("text",
                  {{"x", svgNumber(x)},
                   {"y", svgNumber(y)},
                   {"text-anchor", anchor},
                   {"font-size", size},
                   {"fill", fill}},
                  text);
}

// Window thumbnails in a row centred at (cx, y).
void thumbnails(SvgCanvas& c, double cx, double y, int n, double w, double h) {
  double gap = 24;
  double x = cx - (n * w + (n - 1) * gap) / 2;
  for (int i = 0; i < n; ++i) {
    c.w.leaf("rect", {{"class", "thumbnail"},
                      {"x", svgNumber(x)},
                      {"y", svgNumber(y)},
                      {"width", svgNumber(w)},
                      {"height", svgNumber(h)},
                      {"rx", "6"},
                      {"fill", "#f5f5f7"},
                      {"stroke", "rgba(255,255,255,0.8)"},
                      {"stroke-width", "2"}});
    c.w.leaf("rect", {{"x", svgNumber(x)},
                      {"y", svgNumber(y)},
                      {"width", svgNumber(w)},
                      {"height", "16"},
                      {"rx", "6"},
                      {"fill", "#d8d8dc"}});
    x += w + gap;
  }
}

}  // namespace

void drawDockOverlays(SvgCanvas& c, const DesktopScene& d) {
  const World& world = d.world();
  if (world.screens.empty()) return;
  const platform::Rect& main = world.screens.front();
  double x = main.minX(), top = c.y(main.maxY()) + kMenuBarHeight;
  double w = main.size.width, h = main.size.height - kMenuBarHeight;
  double cx = x + w / 2;
  const DockState& dock = world.dock;
  if (dock.expose && *dock.expose < dock.items.size()) {
    const auto& title = dock.items[*dock.expose].title.value_or("");
    c.w.begin("g", {{"id", "appexpose"},
                    {"data-app", title},
                    {"data-index", std::to_string(*dock.expose + 1)}});
    c.w.leaf("rect", {{"x", svgNumber(x)},
                      {"y", svgNumber(top)},
                      {"width", svgNumber(w)},
                      {"height", svgNumber(h)},
                      {"fill", "rgba(10,10,20,0.72)"}});
    label(c, cx, top + 56, "App Expos\xC3\xA9 \xE2\x80\x94 " + title, "26", "#ffffff");
    double tw = std::min(300.0, w / 4), th = tw * 0.65;
    thumbnails(c, cx, top + std::max(90.0, h / 2 - th), 3, tw, th);
    c.w.end();
  }
  if (dock.missionControl) {
    c.w.begin("g", {{"id", "missioncontrol"}});
    c.w.leaf("rect", {{"x", svgNumber(x)},
                      {"y", svgNumber(top)},
                      {"width", svgNumber(w)},
                      {"height", svgNumber(h)},
                      {"fill", "rgba(20,30,50,0.8)"}});
    double sw = std::min(160.0, w / 6), sh = sw * 0.6;
    thumbnails(c, cx, top + 20, 2, sw, sh);
    label(c, cx, top + sh + 48, "Mission Control", "22", "#ffffff");
    double tw = std::min(260.0, w / 5), th = tw * 0.65;
    thumbnails(c, cx, top + std::max(sh + 80, h / 2 - th / 2), 4, tw, th);
    c.w.end();
  }
}

void drawDock(SvgCanvas& c, const DesktopScene& d) {
  const World& world = d.world();
  const DockState& dock = world.dock;
  c.w.begin("g", {{"id", "dock"},
                  {"data-running", dock.pid ? "true" : "false"},
                  {"data-pid", std::to_string(dock.pid)},
                  {"data-items", std::to_string(dock.items.size())}});
  if (!dock.pid || dock.items.empty() || world.screens.empty()) {
    c.w.end();
    return;
  }
  auto first = cocoaFrame(world, 0), last = cocoaFrame(world, dock.items.size() - 1);
  double bottom = world.screens.front().minY();
  c.w.leaf("rect", {{"class", "dock-background"},
                    {"x", svgNumber(first.minX() - 4)},
                    {"y", svgNumber(c.y(first.maxY()) - 4)},
                    {"width", svgNumber(last.maxX() - first.minX() + 8)},
                    {"height", svgNumber(first.maxY() - bottom + 4)},
                    {"rx", "14"},
                    {"fill", "rgba(255,255,255,0.28)"},
                    {"stroke", "rgba(255,255,255,0.45)"}});
  auto hovered = world.itemUnderPointer();
  for (std::size_t i = 0; i < dock.items.size(); ++i) {
    const DockItem& item = dock.items[i];
    auto f = cocoaFrame(world, i);
    std::string kind = kindOf(item);
    bool running = item.isApplication() && world.isRunning(item);
    c.w.begin("g", {{"class", "dockitem"},
                    {"id", "dockitem-" + std::to_string(i + 1)},
                    {"data-index", std::to_string(i + 1)},
                    {"data-title", item.title.value_or("")},
                    {"data-kind", kind},
                    {"data-subrole", item.subrole.value_or("none")},
                    {"data-running", running ? "true" : "false"},
                    {"data-hover", hovered == i ? "true" : "false"}});
    c.w.textElement("title", {}, item.title.value_or(""));
    double x = f.minX() + kIconInset, y = c.y(f.maxY()) + kIconInset;
    double side = f.size.width - 2 * kIconInset;
    c.w.leaf("rect", {{"class", "icon"},
                      {"x", svgNumber(x)},
                      {"y", svgNumber(y)},
                      {"width", svgNumber(side)},
                      {"height", svgNumber(side)},
                      {"rx", "12"},
                      {"fill", iconColour(kind, item.title.value_or(""))},
                      {"stroke", "rgba(0,0,0,0.2)"}});
    const char* ink = kind == "minimized" ? "#1d1d1f" : "#ffffff";
    label(c, x + side / 2, y + 30, firstCharacter(item.title.value_or("")), "24", ink);
    label(c, x + side / 2, y + side - 7, shortened(item.title.value_or(""), 9), "9", ink);
    if (running)
      c.w.leaf("circle", {{"class", "running-indicator"},
                          {"cx", svgNumber(f.minX() + f.size.width / 2)},
                          {"cy", svgNumber(c.y(bottom) - 2)},
                          {"r", "1.8"},
                          {"fill", "#1d1d1f"}});
    c.w.end();
  }
  // The title of the item under the pointer, as the Dock shows it.
  if (hovered && !dock.menu && !dock.stack) {
    auto f = cocoaFrame(world, *hovered);
    const std::string title = dock.items[*hovered].title.value_or("");
    double w = 16 + 7.5 * static_cast<double>(shortened(title, 40).size());
    double cx = f.minX() + f.size.width / 2, y = c.y(f.maxY()) - 34;
    c.w.begin("g", {{"id", "docklabel"}, {"data-item", title}, {"pointer-events", "none"}});
    panel(c, cx - w / 2, y, w, 24, "rgba(240,240,245,0.95)");
    label(c, cx, y + 16, shortened(title, 40), "13", "#1d1d1f");
    c.w.end();
  }
  c.w.end();
}

void drawDockPopups(SvgCanvas& c, const DesktopScene& d) {
  const World& world = d.world();
  const DockState& dock = world.dock;
  if (!dock.pid || world.screens.empty()) return;
  const platform::Rect& main = world.screens.front();
  auto above = [&](std::size_t i, double w, double h) {
    auto f = cocoaFrame(world, i);
    double x = std::clamp(f.minX() + f.size.width / 2 - w / 2, main.minX() + 4,
                          std::max(main.minX() + 4, main.maxX() - w - 4));
    return platform::Point{x, c.y(f.maxY()) - 10 - h};
  };
  if (dock.stack && *dock.stack < dock.items.size()) {
    const auto& title = dock.items[*dock.stack].title.value_or("");
    double w = 252, h = 180;
    auto p = above(*dock.stack, w, h);
    c.w.begin("g", {{"id", "stack"}, {"data-item", title}});
    panel(c, p.x, p.y, w, h, "rgba(235,235,240,0.95)");
    label(c, p.x + w / 2, p.y + 20, title, "13", "#1d1d1f");
    for (int i = 0; i < 6; ++i) {
      double fx = p.x + 18 + (i % 3) * 78, fy = p.y + 34 + (i / 3) * 70;
      c.w.leaf("rect", {{"class", "stack-file"},
                        {"x", svgNumber(fx + 14)},
                        {"y", svgNumber(fy)},
                        {"width", "36"},
                        {"height", "46"},
                        {"rx", "3"},
                        {"fill", "#ffffff"},
                        {"stroke", "#9a9aa0"}});
      label(c, fx + 32, fy + 60, "File " + std::to_string(i + 1), "10", "#3a3a3c");
    }
    c.w.end();
  }
  if (dock.menu && *dock.menu < dock.items.size()) {
    const DockItem& item = dock.items[*dock.menu];
    std::vector<std::string> entries{"Options", "Show in Finder"};
    if (item.isApplication() && world.isRunning(item)) {
      entries.push_back("Hide");
      entries.push_back("Quit");
    } else if (item.isApplication()) {
      entries.push_back("Open");
    } else {
      entries.push_back("Open \xE2\x80\x9C" + item.title.value_or("") + "\xE2\x80\x9D");
    }
    double w = 190, h = 12 + 22 * static_cast<double>(entries.size());
    auto p = above(*dock.menu, w, h);
    c.w.begin("g", {{"id", "dockmenu"}, {"data-item", item.title.value_or("")}});
    panel(c, p.x, p.y, w, h, "rgba(242,242,245,0.97)");
    double y = p.y + 22;
    for (const auto& e : entries) {
      label(c, p.x + 14, y, e, "13", "#1d1d1f", "start");
      y += 22;
    }
    c.w.end();
  }
}

}  // namespace sim
