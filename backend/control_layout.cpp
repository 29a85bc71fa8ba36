#include "backend/control_layout.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <type_traits>
#include <variant>

#include "backend/defaults_binding.h"

namespace backend {

namespace {

enum class Shape { None, Labelled, Push, Square, Full, Text };

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
        if constexpr (std::is_same_v<T, TextDecl>) return Shape::Text;
      },
      d);
}

// The next control that shows is a button or a checkbox, which leave their
// label column free.
bool sharesNextRow(const WindowInterface& file, std::size_t index) {
  for (std::size_t i = index + 1; i < file.items.size(); ++i) {
    Shape next = shapeOf(file.items[i].declaration);
    if (next == Shape::None) continue;
    return next == Shape::Push || next == Shape::Full;
  }
  return false;
}

std::string points(double v) { return std::to_string(static_cast<long long>(std::ceil(v))); }

}  // namespace

std::vector<ControlFrames> layoutControls(const WindowInterface& file, platform::Size content) {
  const double inner = content.width - 2 * kLayoutMargin - kLayoutColumnGap;
  const double labelWidth = std::floor(inner * kLayoutLabelShare);
  const double controlX = kLayoutMargin + labelWidth + kLayoutColumnGap;
  const double controlWidth = inner - labelWidth;
  std::vector<ControlFrames> rows;
  std::size_t rowCount = 0;
  std::vector<std::size_t> texts;  // placed once every row is known
  for (std::size_t index = 0; index < file.items.size(); ++index) {
    const auto& item = file.items[index];
    Shape shape = shapeOf(item.declaration);
    if (shape == Shape::None) continue;
    if (shape == Shape::Text) {
      texts.push_back(rows.size());
      rows.push_back({item.line, std::nullopt, {}});
      continue;
    }
    // Only a window that shows controls needs room for the columns.
    if (rows.empty() && controlWidth < kLayoutMinControlWidth)
      throw InterfaceError(
          file.where(file.windowLine, "the window is too narrow for its controls: its content is " +
                                          points(content.width) + " points wide, which leaves " +
                                          points(controlWidth) + " of the " +
                                          points(kLayoutMinControlWidth) + " a control needs"));
    const double n = static_cast<double>(rowCount);
    const double y =
        content.height - kLayoutMargin - (n + 1) * kLayoutRowHeight - n * kLayoutRowSpacing;
    if (y < kLayoutMargin)
      throw InterfaceError(file.where(
          item.line, "the window is too low for this control: its content is " +
                         points(content.height) + " points high, the rows down to here need " +
                         points(content.height - y + kLayoutMargin)));
    ControlFrames row{item.line, std::nullopt, {{controlX, y}, {controlWidth, kLayoutRowHeight}}};
    if (shape == Shape::Square && sharesNextRow(file, index)) {
      row.control = {{kLayoutMargin + labelWidth - kLayoutRowHeight, y},
                     {kLayoutRowHeight, kLayoutRowHeight}};
      rows.push_back(row);
      continue;
    }
    ++rowCount;
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
  const double n = static_cast<double>(rowCount);
  const double below = content.height - kLayoutMargin - n * (kLayoutRowHeight + kLayoutRowSpacing);
  for (std::size_t i : texts)
    rows[i].control = {{kLayoutMargin, kLayoutMargin},
                       {content.width - 2 * kLayoutMargin, std::max(0.0, below - kLayoutMargin)}};
  return rows;
}

ControlRows::ControlRows(const WindowInterface& file, platform::Size content)
    : file_(&file), rows_(layoutControls(file, content)) {}

const ControlFrames& ControlRows::next() {
  if (next_ >= rows_.size())
    throw InterfaceError(
        file_->where(file_->windowLine, "more controls than the layout has rows for"));
  return rows_[next_++];
}

std::string ControlRows::keyPath(const ControlFrames& row, const std::string& key) const {
  auto path = defaultsKeyPath(key);
  if (!path)
    throw InterfaceError(file_->where(row.line, "the defaults key " + key + " is not one key"));
  return *path;
}

}  // namespace backend
