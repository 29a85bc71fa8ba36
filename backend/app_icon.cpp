#include "backend/app_icon.h"

#include <algorithm>
#include <cmath>

namespace backend {

namespace {

struct Color {
  double r, g, b, a;  // 0..1, not premultiplied
};

// A rounded rectangle in units of the icon's side, y downwards.
struct RoundedRect {
  double left, top, right, bottom, radius;
};

// Signed distance from (x, y) to the shape's edge: negative inside.
double distance(const RoundedRect& s, double x, double y) {
  const double cx = (s.left + s.right) / 2, cy = (s.top + s.bottom) / 2;
  const double hx = (s.right - s.left) / 2 - s.radius, hy = (s.bottom - s.top) / 2 - s.radius;
  const double dx = std::abs(x - cx) - hx, dy = std::abs(y - cy) - hy;
  const double outside = std::hypot(std::max(dx, 0.0), std::max(dy, 0.0));
  return outside + std::min(std::max(dx, dy), 0.0) - s.radius;
}

// How much of a pixel the shape covers, from the distance of the pixel's
// centre measured in pixels: a ramp one pixel wide across the edge.
double coverage(const RoundedRect& s, double x, double y, double side) {
  return std::clamp(0.5 - distance(s, x, y) * side, 0.0, 1.0);
}

// Source over destination, both not premultiplied.
Color over(const Color& src, double cover, const Color& dst) {
  const double sa = src.a * cover;
  const double a = sa + dst.a * (1 - sa);
  if (a <= 0) return {0, 0, 0, 0};
  auto mix = [&](double s, double d) { return (s * sa + d * dst.a * (1 - sa)) / a; };
  return {mix(src.r, dst.r), mix(src.g, dst.g), mix(src.b, dst.b), a};
}

// The tile of macOS's icon grid: 824 of 1024 units, centred.
constexpr RoundedRect kTile{0.098, 0.098, 0.902, 0.902, 0.18};
constexpr Color kTileTop{0.36, 0.68, 0.98, 1};
constexpr Color kTileBottom{0.10, 0.36, 0.82, 1};

// Three windows spread as App Exposé shows them, the middle one in front.
struct Window {
  RoundedRect frame;
  double titleBar;  // height, in units
};
constexpr Window kWindows[] = {
    {{0.19, 0.27, 0.43, 0.48, 0.02}, 0.05},
    {{0.57, 0.27, 0.81, 0.48, 0.02}, 0.05},
    {{0.33, 0.21, 0.67, 0.53, 0.025}, 0.06},
};
constexpr Color kWindowBody{1, 1, 1, 1};
constexpr Color kWindowShade{0.05, 0.15, 0.35, 0.25};
constexpr Color kTitleBar{0.84, 0.88, 0.94, 1};

// The Dock: a translucent shelf with three icons on it.
constexpr RoundedRect kShelf{0.19, 0.66, 0.81, 0.78, 0.04};
constexpr Color kShelfColor{1, 1, 1, 0.45};
constexpr RoundedRect kDockIcons[] = {
    {0.28, 0.68, 0.36, 0.76, 0.02},
    {0.46, 0.68, 0.54, 0.76, 0.02},
    {0.64, 0.68, 0.72, 0.76, 0.02},
};
constexpr Color kDockIconColors[] = {
    {0.98, 0.62, 0.18, 1},
    {0.30, 0.80, 0.45, 1},
    {0.95, 0.35, 0.40, 1},
};

Color pixelAt(double x, double y, double side) {
  Color c{0, 0, 0, 0};
  const double t = std::clamp((y - kTile.top) / (kTile.bottom - kTile.top), 0.0, 1.0);
  const Color tile{kTileTop.r + (kTileBottom.r - kTileTop.r) * t,
                   kTileTop.g + (kTileBottom.g - kTileTop.g) * t,
                   kTileTop.b + (kTileBottom.b - kTileTop.b) * t, 1};
  c = over(tile, coverage(kTile, x, y, side), c);
  for (const auto& w : kWindows) {
    // A soft edge below and right of each window lifts it off the tile.
    const RoundedRect shade{w.frame.left + 0.008, w.frame.top + 0.012, w.frame.right + 0.008,
                            w.frame.bottom + 0.012, w.frame.radius};
    c = over(kWindowShade, coverage(shade, x, y, side), c);
    c = over(kWindowBody, coverage(w.frame, x, y, side), c);
    // The title bar is the window's top, cut straight across.
    const double above = std::clamp(0.5 - (y - (w.frame.top + w.titleBar)) * side, 0.0, 1.0);
    c = over(kTitleBar, coverage(w.frame, x, y, side) * above, c);
  }
  c = over(kShelfColor, coverage(kShelf, x, y, side), c);
  for (std::size_t i = 0; i < std::size(kDockIcons); ++i)
    c = over(kDockIconColors[i], coverage(kDockIcons[i], x, y, side), c);
  return c;
}

unsigned char byte(double v) {
  return static_cast<unsigned char>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
}

}  // namespace

std::vector<unsigned char> appIconRGBA(std::uint32_t side) {
  if (side < kMinAppIconSide || side > kMaxAppIconSide) return {};
  std::vector<unsigned char> pixels;
  pixels.reserve(std::size_t{side} * side * 4);
  const double s = side;
  for (std::uint32_t py = 0; py < side; ++py)
    for (std::uint32_t px = 0; px < side; ++px) {
      const Color c = pixelAt((px + 0.5) / s, (py + 0.5) / s, s);
      pixels.push_back(byte(c.r));
      pixels.push_back(byte(c.g));
      pixels.push_back(byte(c.b));
      pixels.push_back(byte(c.a));
    }
  return pixels;
}

}  // namespace backend
