// Where a window's controls go on the real desktop: one row per control, top
// to bottom in declaration order, in two columns: the titles of pop-ups and
// sliders as labels on the left, every control on the right (checkboxes and
// buttons carry their own titles). An image followed by a button or a
// checkbox sits at the right end of that control's label column, as a status
// light beside what it tells about. A text takes the width between the
// margins below the rows, with what height is left: a window that grows
// gives it the height it gains. A fixed layout keeps the interface files
// free of coordinates, so both desktops read the same file.
//
// Frames are in the content view's coordinates, as AppKit places subviews:
// origin at the lower left, y up, whole points.
#pragma once

#include <optional>
#include <vector>

#include "backend/interface_file.h"
#include "platform/geometry.h"

namespace backend {

inline constexpr double kLayoutMargin = 20;
inline constexpr double kLayoutRowHeight = 24;
inline constexpr double kLayoutRowSpacing = 6;
inline constexpr double kLayoutColumnGap = 8;
// The label column's share of the width between the margins and the gap.
inline constexpr double kLayoutLabelShare = 0.45;
// Narrower than this, a pop-up cannot show its entries.
inline constexpr double kLayoutMinControlWidth = 120;
inline constexpr double kLayoutPushButtonWidth = 160;
// A one-line label of the system font, centred in its row.
inline constexpr double kLayoutLabelHeight = 17;

struct ControlFrames {
  int line = 0;                         // the declaration's line in the file
  std::optional<platform::Rect> label;  // a pop-up's or slider's title
  platform::Rect control;
};

// One entry per declaration that shows a control (objects show none), in
// file order. Throws InterfaceError naming the window's line when the
// content is too narrow for the two columns, or the line of the first
// control that does not fit the content's height.
std::vector<ControlFrames> layoutControls(const WindowInterface& file, platform::Size content);

// The laid-out rows, handed out in file order as the interface builder asks
// for the controls.
class ControlRows {
 public:
  ControlRows() = default;
  // Lays the file's controls out (see layoutControls); the file must
  // outlive the rows.
  ControlRows(const WindowInterface& file, platform::Size content);
  // The next row. Throws InterfaceError naming the window's line when the
  // builder asks for more controls than were laid out.
  const ControlFrames& next();
  // The user-defaults key path a control of that row binds (see
  // defaultsKeyPath). Throws InterfaceError naming the row's line when the
  // key is not one key.
  std::string keyPath(const ControlFrames& row, const std::string& key) const;

 private:
  const WindowInterface* file_ = nullptr;
  std::vector<ControlFrames> rows_;
  std::size_t next_ = 0;
};

}  // namespace backend
