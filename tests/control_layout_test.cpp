// The real desktop's fixed layout of interface-file controls.
#include "backend/control_layout.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using backend::kLayoutMargin;
using backend::kLayoutRowHeight;
using backend::kLayoutRowSpacing;

backend::WindowInterface windowFrom(const std::string& text) {
  return backend::readWindowInterface(backend::parseInterfaceText("test.ui", text));
}

// What a titled window of that frame leaves for its content on macOS 11 and later.
constexpr double kTitleBarHeight = 28;

bool inside(const platform::Rect& r, platform::Size content) {
  return r.minX() >= kLayoutMargin && r.minY() >= kLayoutMargin &&
         r.maxX() <= content.width - kLayoutMargin && r.maxY() <= content.height - kLayoutMargin;
}

std::string message(const backend::WindowInterface& file, platform::Size content) {
  try {
    backend::layoutControls(file, content);
  } catch (const backend::InterfaceError& e) {
    return e.what();
  }
  return "";
}

TEST(ControlLayout, SettingsWindowControlsFitItsFrameTopToBottom) {
  auto file = backend::readWindowInterface(
      backend::loadInterfaceFile(VISTREL_RESOURCE_DIR, "SettingsController"));
  platform::Size content{file.frame.size.width, file.frame.size.height - kTitleBarHeight};
  auto rows = backend::layoutControls(file, content);
  // Eight controls; the launch-at-login object shows none.
  ASSERT_EQ(rows.size(), 8u);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(rows[i].line);
    EXPECT_TRUE(inside(rows[i].control, content));
    if (rows[i].label) {
      EXPECT_TRUE(inside(*rows[i].label, content));
      EXPECT_LE(rows[i].label->maxX(), rows[i].control.minX());
    }
    if (i == 0) continue;
    EXPECT_GT(rows[i].line, rows[i - 1].line);
    EXPECT_LE(rows[i].control.maxY(), rows[i - 1].control.minY());
  }
  // Only the pop-up and the slider carry a label.
  for (std::size_t i = 0; i < rows.size(); ++i)
    EXPECT_EQ(rows[i].label.has_value(), i == 2 || i == 3);
}

TEST(ControlLayout, ShapesFollowTheKindOfControl) {
  auto file = windowFrom(
      "window 0 0 480 320\n"
      "imageview\n"
      "button \"Go\" action go:\n"
      "checkbox \"Box\" bind defaults k\n"
      "slider \"Speed\" bind defaults s min 0 max 1\n");
  auto rows = backend::layoutControls(file, {480, 292});
  ASSERT_EQ(rows.size(), 4u);
  const double column = rows[0].control.minX();
  for (const auto& row : rows) {
    EXPECT_EQ(row.control.minX(), column);
    EXPECT_EQ(row.control.size.height, kLayoutRowHeight);
  }
  EXPECT_EQ(rows[0].control.size.width, kLayoutRowHeight);  // the image is square
  EXPECT_EQ(rows[1].control.size.width, backend::kLayoutPushButtonWidth);
  EXPECT_EQ(rows[2].control.maxX(), 480 - kLayoutMargin);
  EXPECT_EQ(rows[3].control.maxX(), 480 - kLayoutMargin);
  EXPECT_EQ(rows[0].control.maxY(), 292 - kLayoutMargin);
  EXPECT_EQ(rows[1].control.maxY(), rows[0].control.minY() - kLayoutRowSpacing);
  // The label sits in its row, left of the control.
  ASSERT_TRUE(rows[3].label);
  EXPECT_EQ(rows[3].label->minX(), kLayoutMargin);
  EXPECT_GE(rows[3].label->minY(), rows[3].control.minY());
  EXPECT_LE(rows[3].label->maxY(), rows[3].control.maxY());
}

TEST(ControlLayout, HeightIsCheckedAtTheFirstControlThatDoesNotFit) {
  auto file = windowFrom(
      "window 0 0 400 200\n"
      "checkbox \"One\" bind defaults a\n"
      "object NSObject thing\n"
      "checkbox \"Two\" bind defaults b\n"
      "checkbox \"Three\" bind defaults c\n");
  const double exact = 2 * kLayoutMargin + 3 * kLayoutRowHeight + 2 * kLayoutRowSpacing;
  EXPECT_EQ(backend::layoutControls(file, {400, exact}).size(), 3u);
  EXPECT_EQ(message(file, {400, exact - 1}),
            "test.ui:5: the window is too low for this control: its content is 123 points high, "
            "the rows down to here need 124");
  // Two rows fit; the object in between takes no row.
  EXPECT_EQ(
      message(file, {400, exact - kLayoutRowHeight - kLayoutRowSpacing}).rfind("test.ui:5:", 0),
      0u);
  EXPECT_EQ(message(file, {400, kLayoutMargin * 2}).rfind("test.ui:2:", 0), 0u);
}

TEST(ControlLayout, WidthIsCheckedAtTheWindow) {
  auto file = windowFrom(
      "# a narrow window\n"
      "window 0 0 200 200\n"
      "checkbox \"One\" bind defaults a\n");
  EXPECT_EQ(message(file, {200, 172}),
            "test.ui:2: the window is too narrow for its controls: its content is 200 points "
            "wide, which leaves 84 of the 120 a control needs");
  // A window that shows no control needs no room for one.
  EXPECT_EQ(message(windowFrom("window 0 0 100 100\nobject NSObject thing\n"), {100, 72}), "");
  EXPECT_EQ(message(file, {480, 172}), "");
}

}  // namespace
