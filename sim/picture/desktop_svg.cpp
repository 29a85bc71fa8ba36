#include "sim/picture/desktop_svg.h"

#include <algorithm>
#include <functional>

#include "backend/trace.h"
#include "platform/events.h"
#include "sim/picture/desktop_scene.h"
#include "sim/picture/desktop_svg_parts.h"
#include "sim/services/sim_appkit.h"

namespace sim {

namespace {

constexpr double kMargin = 16;
constexpr double kLegendHeight = 44;
constexpr double kStatusItemPadding = 6;
constexpr double kStatusMenuWidth = 230;
constexpr double kMenuEntryHeight = 22;
constexpr double kMenuSeparatorHeight = 10;

struct Bounds {
  double left, right, bottom, top;
};

Bounds boundsOf(const std::vector<platform::Rect>& screens) {
  if (screens.empty()) return {0, 1440, 0, 900};
  Bounds b{screens[0].minX(), screens[0].maxX(), screens[0].minY(), screens[0].maxY()};
  for (const auto& s : screens) {
    b.left = std::min(b.left, s.minX());
    b.right = std::max(b.right, s.maxX());
    b.bottom = std::min(b.bottom, s.minY());
    b.top = std::max(b.top, s.maxY());
  }
  return b;
}

void drawDefinitions(SvgWriter& w) {
  w.begin("defs");
  w.begin("linearGradient",
          {{"id", "wallpaper"}, {"x1", "0"}, {"y1", "0"}, {"x2", "1"}, {"y2", "1"}});
  w.leaf("stop", {{"offset", "0"}, {"stop-color", "#2f6db5"}});
  w.leaf("stop", {{"offset", "1"}, {"stop-color", "#7a4fa3"}});
  w.end();
  w.end();
}

void drawScreens(SvgCanvas& c, const std::vector<platform::Rect>& screens) {
  c.w.begin("g", {{"id", "screens"}});
  for (std::size_t i = 0; i < screens.size(); ++i) {
    const auto& s = screens[i];
    c.w.begin("g", {{"class", "screen"},
                    {"id", "screen-" + std::to_string(i + 1)},
                    {"data-index", std::to_string(i + 1)},
                    {"data-frame", frameText(s)},
                    {"data-main", i == 0 ? "true" : "false"}});
    auto attrs = c.rect(s);
    attrs.push_back({"fill", "url(#wallpaper)"});
    c.w.leaf("rect", attrs);
    if (i > 0)
      c.w.textElement("text",
                      {{"x", svgNumber(s.minX() + 12)},
                       {"y", svgNumber(c.y(s.maxY()) + 24)},
                       {"fill", "rgba(255,255,255,0.7)"},
                       {"font-size", "13"}},
                      "Screen " + std::to_string(i + 1));
    c.w.end();
  }
  c.w.end();
}

// Other applications' windows, the topmost last, each named after its
// application; nothing at all while there are none.
void drawAppWindows(SvgCanvas& c, const World& world) {
  if (world.windows().empty()) return;
  c.w.begin("g", {{"id", "app-windows"}});
  for (const auto& window : world.windows()) {
    const Process* app = world.process(window.pid);
    std::string name = app ? app->name : "";
    c.w.begin("g", {{"class", "app-window"}, {"data-app", name}});
    auto attrs = c.rect(window.frame);
    attrs.push_back({"fill", "#f2f2f7"});
    attrs.push_back({"stroke", "#8e8e93"});
    c.w.leaf("rect", attrs);
    c.w.textElement("text",
                    {{"x", svgNumber(window.frame.minX() + 10)},
                     {"y", svgNumber(c.y(window.frame.maxY()) + 20)},
                     {"fill", "#3a3a3c"},
                     {"font-size", "13"}},
                    name);
    c.w.end();
  }
  c.w.end();
}

void drawStatusMenu(SvgCanvas& c, const platform::Menu& menu, double itemX,
                    const platform::Rect& screen) {
  double height = 8;
  for (const auto& item : menu.items())
    height += item->isSeparatorItem() ? kMenuSeparatorHeight : kMenuEntryHeight;
  double x = std::min(itemX, screen.maxX() - kStatusMenuWidth - 4);
  double y = c.y(screen.maxY()) + kMenuBarHeight + 2;
  // Hidden: the page shows it when the visitor clicks the status item.
  c.w.begin("g", {{"id", "statusmenu"}, {"class", "menu"}, {"visibility", "hidden"}});
  c.w.leaf("rect", {{"x", svgNumber(x)},
                    {"y", svgNumber(y)},
                    {"width", svgNumber(kStatusMenuWidth)},
                    {"height", svgNumber(height)},
                    {"rx", "6"},
                    {"fill", "#f2f2f2"},
                    {"stroke", "#b0b0b0"}});
  double at = y + 4;
  for (const auto& item : menu.items()) {
    if (item->isSeparatorItem()) {
      c.w.leaf("line", {{"class", "separator"},
                        {"x1", svgNumber(x + 10)},
                        {"x2", svgNumber(x + kStatusMenuWidth - 10)},
                        {"y1", svgNumber(at + kMenuSeparatorHeight / 2)},
                        {"y2", svgNumber(at + kMenuSeparatorHeight / 2)},
                        {"stroke", "#c8c8c8"}});
      at += kMenuSeparatorHeight;
      continue;
    }
    c.w.begin("g", {{"class", "menuitem"}, {"data-title", item->title()}});
    c.w.leaf("rect", {{"class", "menuitem-bg"},
                      {"x", svgNumber(x + 4)},
                      {"y", svgNumber(at)},
                      {"width", svgNumber(kStatusMenuWidth - 8)},
                      {"height", svgNumber(kMenuEntryHeight)},
                      {"rx", "4"},
                      {"fill", "transparent"}});
    c.w.textElement("text",
                    {{"x", svgNumber(x + 14)}, {"y", svgNumber(at + 15)}, {"font-size", "13"}},
                    item->title());
    c.w.end();
    at += kMenuEntryHeight;
  }
  c.w.end();
}

using BitmapNamed = std::function<const backend::Bitmap*(const std::string&)>;

void drawMenuBar(SvgCanvas& c, const DesktopScene& d, const BitmapNamed& bitmapNamed) {
  const auto& screens = d.world().screens;
  if (screens.empty()) return;
  const platform::Rect& main = screens.front();
  double top = c.y(main.maxY());
  c.w.begin("g", {{"id", "menubar"}});
  c.w.leaf("rect", {{"x", svgNumber(main.minX())},
                    {"y", svgNumber(top)},
                    {"width", svgNumber(main.size.width)},
                    {"height", svgNumber(kMenuBarHeight)},
                    {"fill", "rgba(240,240,245,0.92)"}});
  c.w.textElement("text",
                  {{"x", svgNumber(main.minX() + 16)},
                   {"y", svgNumber(top + 17)},
                   {"font-size", "13"},
                   {"font-weight", "bold"}},
                  "Finder");
  // Status items from the right edge leftwards, the oldest rightmost.
  double right = main.maxX() - 12;
  std::shared_ptr<platform::Menu> firstMenu;
  double firstX = 0;
  auto* session = d.session();
  std::vector<std::shared_ptr<SimStatusItem>> items;
  if (session && !session->context().stopRequested) items = session->simAppKit().statusItems();
  for (std::size_t i = 0; i < items.size(); ++i) {
    const auto& item = *items[i];
    auto image = item.image();
    const backend::Bitmap* icon = image ? bitmapNamed(image->name()) : nullptr;
    double imageWidth = icon && image ? static_cast<double>(icon->width) : 16;
    double width = item.length() >= 0 ? item.length() : imageWidth + 2 * kStatusItemPadding;
    double x = right - width;
    right = x - 4;
    c.w.begin("g", {{"class", "statusitem"},
                    {"id", i == 0 ? "statusitem" : "statusitem-" + std::to_string(i + 1)},
                    {"data-image", image ? image->name() : ""},
                    {"data-template", image && image->isTemplate() ? "true" : "false"},
                    {"data-highlight", item.highlightMode() ? "true" : "false"}});
    c.w.leaf("rect", {{"class", "statusitem-bg"},
                      {"x", svgNumber(x)},
                      {"y", svgNumber(top + 1)},
                      {"width", svgNumber(width)},
                      {"height", svgNumber(kMenuBarHeight - 2)},
                      {"rx", "4"},
                      {"fill", "transparent"}});
    if (icon && image) {
      double iconTop = top + (kMenuBarHeight - static_cast<double>(icon->height)) / 2;
      // A template image is drawn in the menu bar's own ink.
      c.bitmap(*icon, x + (width - imageWidth) / 2, iconTop, 1,
               image->isTemplate() ? "#1d1d1f" : "#0a60ff");
    } else {
      c.w.leaf("rect", {{"x", svgNumber(x + kStatusItemPadding)},
                        {"y", svgNumber(top + 4)},
                        {"width", "16"},
                        {"height", "16"},
                        {"fill", "none"},
                        {"stroke", "#1d1d1f"}});
    }
    c.w.end();
    if (i == 0) {
      firstMenu = item.menu();
      firstX = x;
    }
  }
  c.w.end();
  if (firstMenu) drawStatusMenu(c, *firstMenu, firstX, main);
}

void drawPointer(SvgCanvas& c, const platform::Point& p) {
  c.w.begin("g", {{"id", "pointer"},
                  {"data-x", backend::formatCoordinate(p.x)},
                  {"data-y", backend::formatCoordinate(p.y)},
                  {"transform", "translate(" + svgNumber(p.x) + " " + svgNumber(c.y(p.y)) + ")"},
                  {"pointer-events", "none"}});
  c.w.leaf("path", {{"d", "M0 0 L0 17 L4.5 13 L7.5 20 L10 19 L7 12 L13 12 Z"},
                    {"fill", "#ffffff"},
                    {"stroke", "#000000"},
                    {"stroke-width", "1.2"},
                    {"stroke-linejoin", "round"}});
  c.w.end();
}

void drawLegend(SvgCanvas& c, const DesktopScene& d, const Bounds& b) {
  struct Key {
    const char* name;
    const char* glyph;
    std::uint64_t flag;
  };
  const Key keys[] = {{"shift", "\xE2\x87\xA7", platform::kEventModifierFlagShift},
                      {"control", "\xE2\x8C\x83", platform::kEventModifierFlagControl},
                      {"option", "\xE2\x8C\xA5", platform::kEventModifierFlagOption},
                      {"command", "\xE2\x8C\x98", platform::kEventModifierFlagCommand}};
  const World& world = d.world();
  std::string held;
  for (const auto& k : keys)
    if (world.modifiers & k.flag) held += (held.empty() ? "" : "+") + std::string(k.name);
  double y = c.y(b.bottom) + 12;
  c.w.begin("g", {{"id", "modifiers"},
                  {"data-keys", held.empty() ? "none" : held},
                  {"data-flags", std::to_string(world.modifiers)}});
  double x = b.left;
  for (const auto& k : keys) {
    bool down = world.modifiers & k.flag;
    c.w.begin("g",
              {{"class", "key"}, {"data-key", k.name}, {"data-held", down ? "true" : "false"}});
    c.w.leaf("rect", {{"x", svgNumber(x)},
                      {"y", svgNumber(y)},
                      {"width", "86"},
                      {"height", "26"},
                      {"rx", "5"},
                      {"fill", down ? "#0a84ff" : "#3a3a3c"}});
    c.w.textElement("text",
                    {{"x", svgNumber(x + 43)},
                     {"y", svgNumber(y + 18)},
                     {"text-anchor", "middle"},
                     {"font-size", "13"},
                     {"fill", down ? "#ffffff" : "#c7c7cc"}},
                    std::string(k.glyph) + " " + k.name);
    c.w.end();
    x += 94;
  }
  c.w.end();
  c.w.textElement("text",
                  {{"id", "trust"},
                   {"data-trusted", world.trusted ? "true" : "false"},
                   {"x", svgNumber(x + 12)},
                   {"y", svgNumber(y + 18)},
                   {"font-size", "13"},
                   {"fill", world.trusted ? "#8fd19e" : "#ff8a80"}},
                  world.trusted ? "Accessibility: trusted" : "Accessibility: not trusted");
}

}  // namespace

SvgAttrs SvgCanvas::rect(const platform::Rect& r) const {
  return {{"x", svgNumber(r.minX())},
          {"y", svgNumber(y(r.maxY()))},
          {"width", svgNumber(r.size.width)},
          {"height", svgNumber(r.size.height)}};
}

void SvgCanvas::bitmap(const backend::Bitmap& b, double x, double y, double scale,
                       const std::string& fill) {
  // One rectangle per run of ink in a row keeps the picture small.
  w.begin("g", {{"class", "bitmap"}, {"fill", fill}});
  for (std::size_t row = 0; row < b.height; ++row) {
    std::size_t col = 0;
    while (col < b.width) {
      if (!b.at(col, row)) {
        ++col;
        continue;
      }
      std::size_t start = col;
      while (col < b.width && b.at(col, row)) ++col;
      w.leaf("rect", {{"x", svgNumber(x + static_cast<double>(start) * scale)},
                      {"y", svgNumber(y + static_cast<double>(row) * scale)},
                      {"width", svgNumber(static_cast<double>(col - start) * scale)},
                      {"height", svgNumber(scale)}});
    }
  }
  w.end();
}

std::string frameText(const platform::Rect& r) {
  using backend::formatCoordinate;
  return formatCoordinate(r.minX()) + " " + formatCoordinate(r.minY()) + " " +
         formatCoordinate(r.size.width) + " " + formatCoordinate(r.size.height);
}

std::string firstCharacter(const std::string& s) {
  if (s.empty()) return "";
  std::size_t n = 1;
  while (n < s.size() && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) ++n;
  return s.substr(0, n);
}

std::string shortened(const std::string& s, std::size_t n) {
  std::size_t chars = 0, i = 0;
  while (i < s.size()) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
      if (chars == n) return s.substr(0, i) + "\xE2\x80\xA6";
      ++chars;
    }
    ++i;
  }
  return s;
}

const backend::Bitmap* DesktopPicture::bitmap(const std::string& resourceDir,
                                              const std::string& name) {
  auto key = resourceDir + "/" + name;
  if (auto it = bitmaps_.find(key); it != bitmaps_.end()) return it->second.get();
  auto b = std::make_shared<backend::Bitmap>();
  if (backend::readPBM(key + ".pbm", b.get())) b.reset();
  bitmaps_[key] = b;
  return b.get();
}

std::string DesktopPicture::svg(const DesktopScene& d) {
  const World& world = d.world();
  Bounds b = boundsOf(world.screens);
  SvgWriter w;
  SvgCanvas c{w, b.top};
  double width = b.right - b.left + 2 * kMargin;
  double height = b.top - b.bottom + kMargin + kLegendHeight;
  w.begin("svg", {{"xmlns", "http://www.w3.org/2000/svg"},
                  {"id", "desktop"},
                  {"viewBox", svgNumber(b.left - kMargin) + " " + svgNumber(-kMargin) + " " +
                                  svgNumber(width) + " " + svgNumber(height)},
                  {"width", svgNumber(width)},
                  {"height", svgNumber(height)},
                  {"data-top", backend::formatCoordinate(b.top)},
                  {"font-family", kFontFamily}});
  drawDefinitions(w);
  w.leaf("rect", {{"x", svgNumber(b.left - kMargin)},
                  {"y", svgNumber(-kMargin)},
                  {"width", svgNumber(width)},
                  {"height", svgNumber(height)},
                  {"fill", "#1c1c1e"}});
  drawScreens(c, world.screens);
  drawAppWindows(c, world);
  drawDockOverlays(c, d);
  drawDock(c, d);
  drawDockPopups(c, d);
  BitmapNamed bitmapNamed = [&](const std::string& name) { return bitmap(d.resourceDir(), name); };
  drawWindows(c, d, bitmapNamed("Status_Icon"));
  drawMenuBar(c, d, bitmapNamed);
  drawPointer(c, world.pointer);
  drawLegend(c, d, b);
  return w.finish();
}

std::string desktopSVG(const DesktopScene& scene) { return DesktopPicture().svg(scene); }

}  // namespace sim
