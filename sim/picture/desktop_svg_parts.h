// The parts of the desktop's picture (desktop_svg.h), drawn in this order:
// screens, what the Dock shows over the screen, the Dock, the agent's
// windows, the menu bar, the pointer, the modifier keys.
#pragma once

#include <string>

#include "backend/bitmap.h"
#include "platform/geometry.h"
#include "sim/picture/svg_writer.h"

namespace sim {

class DesktopScene;

// Where the picture's y axis starts: the top of the highest screen.
struct SvgCanvas {
  SvgWriter& w;
  double top = 0;
  double y(double cocoaY) const { return top - cocoaY; }
  // The SVG rectangle attributes of a Cocoa frame.
  SvgAttrs rect(const platform::Rect& r) const;
  // A one-bit image at (x, y), each bit a square of `scale` points.
  void bitmap(const backend::Bitmap& b, double x, double y, double scale, const std::string& fill);
};

inline constexpr const char* kFontFamily = "Helvetica, Arial, 'DejaVu Sans', sans-serif";
inline constexpr double kMenuBarHeight = 24;

void drawDock(SvgCanvas& c, const DesktopScene& d);
// App Exposé and Mission Control over the first screen.
void drawDockOverlays(SvgCanvas& c, const DesktopScene& d);
// An open stack and an open item menu, above the Dock.
void drawDockPopups(SvgCanvas& c, const DesktopScene& d);
void drawWindows(SvgCanvas& c, const DesktopScene& d, const backend::Bitmap* appIcon);

// The first Unicode character of a title, for an icon.
std::string firstCharacter(const std::string& s);
// At most `n` characters, with an ellipsis when cut.
std::string shortened(const std::string& s, std::size_t n);
// The trace's way of writing a coordinate (exact), for data attributes.
std::string frameText(const platform::Rect& r);

}  // namespace sim
