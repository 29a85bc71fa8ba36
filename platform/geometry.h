// Points, sizes and rects in double precision, as CoreGraphics defines them.
#pragma once

#include <cstdint>

namespace platform {

struct Point {
  double x = 0, y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  double width = 0, height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
  Point origin;
  Size size;
  double minX() const { return origin.x; }
  double minY() const { return origin.y; }
  double maxX() const { return origin.x + size.width; }
  double maxY() const { return origin.y + size.height; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct Range {
  std::int64_t location = 0, length = 0;
  friend bool operator==(const Range&, const Range&) = default;
};

// NSEqualPoints: both coordinates compared exactly.
inline bool equalPoints(const Point& a, const Point& b) { return a.x == b.x && a.y == b.y; }

// NSPointInRect: the minimum edges belong to the rect, the maximum edges do not.
inline bool pointInRect(const Point& p, const Rect& r) {
  return p.x >= r.minX() && p.x < r.maxX() && p.y >= r.minY() && p.y < r.maxY();
}

}  // namespace platform
