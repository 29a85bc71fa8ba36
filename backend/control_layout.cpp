#include "backend/control_layout.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <type_traits>
#include <variant>

namespace backend {

namespace {

enum class Shape { None, Labelled, Push, Square, Full };

Shape shapeOf(const Declaration& d) {
  return std::visit(
      [](const auto& decl) {
        using T = std::decay_t<decltype(decl)>;
        if constexpr (std::is_same_v<T, ObjectDecl>) return Shape::None;
        if constexpr (std::is_same_v<T, PopupDecl> || std::is_same_v<T, SliderDecl>)
          return Shape::Labelled;
        if constexpr (std::is_same_v<T, ButtonDecl>) return Shape::Push;
        if constexpr (std::is_same_v<T, ImageViewDecl>) return Shape::Square;
        if constexpr (std::is_same_v<T, CheckboxDecl>) return Shape::Full;
      },
      d);
}

std::string points(double v) { return std::to_string(static_cast<long long>(std::ceil(v))); }

}  // namespace

std::vector<ControlFrames> layoutControls(const WindowInterface& file, platform::Size content) {
  const double inner = content.width - 2 * kLayoutMargin - kLayoutColumnGap;
  const double labelWidth = std::floor(inner * kLayoutLabelShare);
  const double controlX = kLayoutMargin + labelWidth + kLayoutColumnGap;
  const double controlWidth = inner - labelWidth;
  std::vector<ControlFrames> rows;
  for (const auto& item : file.items) {
    Shape shape = shapeOf(item.declaration);
    if (shape == Shape::None) continue;
    // Only a window that shows controls needs room for the columns.
    if (rows.empty() && controlWidth < kLayoutMinControlWidth)
      throw InterfaceError(
          file.where(file.windowLine, "the window is too narrow for its controls: its content is " +
                                          points(content.width) + " points wide, which leaves " +
                                          points(controlWidth) + " of the " +
                                          points(kLayoutMinControlWidth) + " a control needs"));
    const double n = static_cast<double>(rows.size());
    const double y =
        content.height - kLayoutMargin - (n + 1) * kLayoutRowHeight - n * kLayoutRowSpacing;
    if (y < kLayoutMargin)
      throw InterfaceError(file.where(
          item.line, "the window is too low for this control: its content is " +
                         points(content.height) + " points high, the rows down to here need " +
                         points(content.height - y + kLayoutMargin)));
    ControlFrames row{item.line, std::nullopt, {{controlX, y}, {controlWidth, kLayoutRowHeight}}};
    switch (shape) {
      case Shape::Labelled:
        row.label = platform::Rect{
            {kLayoutMargin, y + std::floor((kLayoutRowHeight - kLayoutLabelHeight) / 2)},
            {labelWidth, kLayoutLabelHeight}};
        break;
      case Shape::Push:
        row.control.size.width = std::min(controlWidth, kLayoutPushButtonWidth);
        break;
      case Shape::Square: row.control.size.width = kLayoutRowHeight; break;
      default: break;
    }
    rows.push_back(row);
  }
  return rows;
}

}  // namespace backend
