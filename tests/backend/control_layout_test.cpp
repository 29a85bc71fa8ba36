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
  // Ten controls; the launch-at-login object shows none. The status light
  // shares the request button's row; the text of the check comes last.
  ASSERT_EQ(rows.size(), 10u);
  for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
    SCOPED_TRACE(rows[i].line);
    EXPECT_TRUE(inside(rows[i].control, content));
    if (rows[i].label) {
      EXPECT_TRUE(inside(*rows[i].label, content));
      EXPECT_LE(rows[i].label->maxX(), rows[i].control.minX());
    }
    if (i == 0) continue;
    EXPECT_GT(rows[i].line, rows[i - 1].line);
    if (i == 1) {
      EXPECT_EQ(rows[1].control.minY(), rows[0].control.minY());
      EXPECT_LT(rows[0].control.maxX(), rows[1].control.minX());
    } else {
      EXPECT_LE(rows[i].control.maxY(), rows[i - 1].control.minY());
    }
  }
  // Only the pop-up and the slider carry a label.
  for (std::size_t i = 0; i < rows.size(); ++i)
    EXPECT_EQ(rows[i].label.has_value(), i == 3 || i == 4);
  // The text waits at the bottom for the height a growing window gives it.
  const auto& text = rows.back().control;
  EXPECT_EQ(text.minY(), kLayoutMargin);
  EXPECT_GE(text.size.height, 0);
  EXPECT_LE(text.maxY(), rows[rows.size() - 2].control.minY());
}

TEST(ControlLayout, ALightSharesTheRowOfAButtonOrCheckboxAfterIt) {
  // {file, whether the image shares the next control's row}
  const std::pair<const char*, bool> cases[] = {
      {"window 0 0 480 320\nimageview\nbutton \"Go\"\n", true},
      {"window 0 0 480 320\nimageview\nobject NSObject o\ncheckbox \"B\" bind defaults k\n", true},
      {"window 0 0 480 320\nimageview\nslider \"S\" bind defaults s min 0 max 1\n", false},
      {"window 0 0 480 320\nimageview\n", false},
      {"window 0 0 480 320\nimageview\ntext\n", false},
  };
  for (const auto& [text, shares] : cases) {
    SCOPED_TRACE(text);
    auto rows = backend::layoutControls(windowFrom(text), {480, 292});
    ASSERT_GE(rows.size(), 1u);
    EXPECT_EQ(rows[0].control.size.width, kLayoutRowHeight);
    if (shares) {
      ASSERT_EQ(rows.size(), 2u);
      EXPECT_EQ(rows[0].control.minY(), rows[1].control.minY());
      EXPECT_LE(rows[0].control.maxX(), rows[1].control.minX() - backend::kLayoutColumnGap);
    } else if (rows.size() > 1) {
      EXPECT_LE(rows[1].control.maxY(), rows[0].control.minY());
    }
  }
}

TEST(ControlLayout, TextTakesWhatIsLeftBelowTheRows) {
  auto file = windowFrom(
      "window 0 0 400 200\n"
      "text outlet t\n"
      "checkbox \"One\" bind defaults a\n");
  // Declared first, placed below the row all the same.
  auto rows = backend::layoutControls(file, {400, 172});
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].control,
            (platform::Rect{{kLayoutMargin, kLayoutMargin},
                            {400 - 2 * kLayoutMargin,
                             172 - 2 * kLayoutMargin - kLayoutRowHeight - kLayoutRowSpacing}}));
  // No room left: no height, never a negative one.
  auto full = backend::layoutControls(file, {400, 2 * kLayoutMargin + kLayoutRowHeight});
  EXPECT_EQ(full[0].control.size.height, 0);
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
  const double column = rows[1].control.minX();
  for (const auto& row : rows) {
    if (&row != &rows[0]) {
      EXPECT_EQ(row.control.minX(), column);
    }
    EXPECT_EQ(row.control.size.height, kLayoutRowHeight);
  }
  EXPECT_EQ(rows[0].control.size.width, kLayoutRowHeight);  // the image is square
  // ... and sits in the button's row, at the end of its label column.
  EXPECT_EQ(rows[0].control.maxX(), column - backend::kLayoutColumnGap);
  EXPECT_EQ(rows[1].control.size.width, backend::kLayoutPushButtonWidth);
  EXPECT_EQ(rows[2].control.maxX(), 480 - kLayoutMargin);
  EXPECT_EQ(rows[3].control.maxX(), 480 - kLayoutMargin);
  EXPECT_EQ(rows[0].control.maxY(), 292 - kLayoutMargin);
  EXPECT_EQ(rows[1].control.maxY(), rows[0].control.maxY());
  EXPECT_EQ(rows[2].control.maxY(), rows[1].control.minY() - kLayoutRowSpacing);
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

TEST(ControlRows, RowsGoInFileOrderAndAskingPastThemOrForANestedKeyIsAFaultyFile) {
  auto file = windowFrom(
      "# two controls\n"
      "window 0 0 400 200\n"
      "checkbox \"One\" bind defaults launchAtLogin\n"
      "checkbox \"Two\" bind defaults hover.delay\n");
  backend::ControlRows rows(file, {400, 172});
  const auto& first = rows.next();
  const auto& second = rows.next();
  EXPECT_EQ(first.line, 3);
  EXPECT_EQ(second.line, 4);
  EXPECT_EQ(rows.keyPath(first, "launchAtLogin"), "values.launchAtLogin");
  auto fault = [](auto&& call) {
    try {
      call();
    } catch (const backend::InterfaceError& e) {
      return std::string(e.what());
    }
    return std::string();
  };
  EXPECT_EQ(fault([&] { rows.keyPath(second, "hover.delay"); }),
            "test.ui:4: the defaults key hover.delay is not one key");
  EXPECT_EQ(fault([&] { rows.next(); }), "test.ui:2: more controls than the layout has rows for");
}

}  // namespace
