// The agent's windows in the desktop's picture: the settings window with its
// status light, button and preference controls as they are now, and the
// About panel. Interface files give no positions for controls, so they are
// laid out top to bottom in the order the file declares them.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "sim/picture/desktop_scene.h"
#include "sim/picture/desktop_svg_parts.h"
#include "sim/services/sim_appkit.h"
#include "sim/services/sim_window.h"

namespace sim {

namespace {

constexpr double kTitleBarHeight = 28;
constexpr double kRowHeight = 30;
constexpr double kPadding = 20;

std::string lightColour(const std::shared_ptr<platform::Image>& image) {
  if (!image) return "none";
  if (image->name() == platform::kImageNameStatusAvailable) return "#34c759";
  if (image->name() == platform::kImageNameStatusUnavailable) return "#ff3b30";
  return "#8e8e93";
}

std::string valueText(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

class WindowPainter {
 public:
  WindowPainter(SvgCanvas& c, const DesktopScene& d, const SimWindow& window)
      : c_(c), d_(d), window_(window), frame_(window.frame()) {
    left_ = frame_.minX() + kPadding;
    right_ = frame_.maxX() - kPadding;
    y_ = c.y(frame_.maxY()) + kTitleBarHeight + 14;
  }

  void controls() {
    bool rowOpen = false;  // a status light shares its row with what follows
    for (const auto& object : window_.objects()) {
      if (auto* view = dynamic_cast<const SimImageView*>(object.get())) {
        statusLight(*view);
        rowOpen = true;
        continue;
      }
      if (auto* field = dynamic_cast<const SimTextField*>(object.get())) {
        if (rowOpen) nextRow();
        rowOpen = false;
        textLines(field->stringValue());
        continue;
      }
      bool drawn = false;
      if (auto* button = dynamic_cast<const SimButton*>(object.get()))
        drawn = button->kind() == SimButton::Push ? pushButton(*button) : checkbox(*button);
      else if (auto* control = dynamic_cast<const SimValueControl*>(object.get()))
        drawn = control->kind() == "popup" ? popup(*control) : slider(*control);
      if (drawn || rowOpen) nextRow();
      if (drawn) rowOpen = false;
    }
  }

  void about(const backend::Bitmap* icon, const std::map<std::string, std::string>* info) {
    double cx = frame_.minX() + frame_.size.width / 2;
    double top = c_.y(frame_.maxY()) + kTitleBarHeight;
    c_.w.leaf("rect", {{"x", svgNumber(cx - 32)},
                       {"y", svgNumber(top + 10)},
                       {"width", "64"},
                       {"height", "64"},
                       {"rx", "14"},
                       {"fill", "#ffffff"},
                       {"stroke", "#c7c7cc"}});
    if (icon && icon->width <= 64 && icon->height <= 64)
      c_.bitmap(*icon, cx - static_cast<double>(icon->width) * 1.5,
                top + 42 - static_cast<double>(icon->height) * 1.5, 3, "#1d1d1f");
    auto value = [&](const char* key) {
      if (!info) return std::string();
      auto it = info->find(key);
      return it == info->end() ? std::string() : it->second;
    };
    c_.w.textElement("text",
                     {{"class", "about-name"},
                      {"x", svgNumber(cx)},
                      {"y", svgNumber(top + 98)},
                      {"text-anchor", "middle"},
                      {"font-size", "15"},
                      {"font-weight", "bold"}},
                     value("CFBundleName"));
    c_.w.textElement(
        "text",
        {{"class", "about-version"},
         {"x", svgNumber(cx)},
         {"y", svgNumber(top + 120)},
         {"text-anchor", "middle"},
         {"font-size", "11"},
         {"fill", "#3a3a3c"}},
        "Version " + value("CFBundleShortVersionString") + " (" + value("CFBundleVersion") + ")");
  }

 private:
  void nextRow() {
    y_ += kRowHeight;
    x_ = 0;
  }
  double x() const { return left_ + x_; }

  void text(double x, double y, const std::string& s, const char* anchor = "start") {
    c_.w.textElement(
        "text",
        {{"x", svgNumber(x)}, {"y", svgNumber(y)}, {"text-anchor", anchor}, {"font-size", "13"}},
        s);
  }

  void statusLight(const SimImageView& view) {
    auto image = view.image();
    c_.w.begin(
        "g", {{"class", "imageview status-light"}, {"data-image", image ? image->name() : "none"}});
    c_.w.leaf("circle", {{"cx", svgNumber(x() + 8)},
                         {"cy", svgNumber(y_ + 11)},
                         {"r", "7"},
                         {"fill", lightColour(image)},
                         {"stroke", "rgba(0,0,0,0.35)"}});
    c_.w.end();
    x_ += 26;
  }

  // A multi-line label: one SVG line per line of text, failures in red.
  void textLines(const std::string& s) {
    if (s.empty()) return;
    c_.w.begin("g", {{"class", "text"}});
    std::size_t start = 0;
    while (start <= s.size()) {
      std::size_t end = s.find('\n', start);
      if (end == std::string::npos) end = s.size();
      std::string line = s.substr(start, end - start);
      const bool failed = line.rfind("\xE2\x9C\x97", 0) == 0;  // ✗
      c_.w.textElement("text",
                       {{"x", svgNumber(left_)},
                        {"y", svgNumber(y_ + 12)},
                        {"font-size", "12"},
                        {"xml:space", "preserve"},
                        {"fill", failed ? "#c4221b" : "#1d1d1f"}},
                       line);
      y_ += 17;
      start = end + 1;
    }
    c_.w.end();
  }

  bool pushButton(const SimButton& b) {
    double w = std::max(120.0, 16 + 7.5 * static_cast<double>(b.title().size()));
    c_.w.begin("g", {{"class", "button"}, {"data-title", b.title()}});
    c_.w.leaf("rect", {{"x", svgNumber(x())},
                       {"y", svgNumber(y_)},
                       {"width", svgNumber(w)},
                       {"height", "22"},
                       {"rx", "5"},
                       {"fill", "#ffffff"},
                       {"stroke", "#a1a1a6"}});
    text(x() + w / 2, y_ + 15, b.title(), "middle");
    c_.w.end();
    return true;
  }

  bool checkbox(const SimButton& b) {
    // A box bound to the defaults shows what they hold now; one bound to
    // an object follows it through key-value observing.
    bool checked = b.isChecked();
    if (b.binding() && !b.binding()->object) {
      auto v = d_.defaults().get(b.binding()->key);
      checked = v && prefAsBool(*v);
    }
    c_.w.begin("g", {{"class", "checkbox"},
                     {"data-title", b.title()},
                     {"data-checked", checked ? "true" : "false"}});
    c_.w.leaf("rect", {{"class", "checkbox-hit"},
                       {"x", svgNumber(x())},
                       {"y", svgNumber(y_)},
                       {"width", svgNumber(right_ - x())},
                       {"height", "22"},
                       {"fill", "transparent"}});
    c_.w.leaf("rect", {{"x", svgNumber(x())},
                       {"y", svgNumber(y_ + 3)},
                       {"width", "16"},
                       {"height", "16"},
                       {"rx", "4"},
                       {"fill", checked ? "#0a84ff" : "#ffffff"},
                       {"stroke", checked ? "#0a6fd6" : "#a1a1a6"}});
    if (checked)
      c_.w.leaf("path",
                {{"d", "M" + svgNumber(x() + 4) + " " + svgNumber(y_ + 11) + " l3.5 3.5 l5 -7"},
                 {"fill", "none"},
                 {"stroke", "#ffffff"},
                 {"stroke-width", "2"}});
    text(x() + 24, y_ + 16, b.title());
    c_.w.end();
    return true;
  }

  bool popup(const SimValueControl& p) {
    auto v = d_.defaults().get(p.binding().key);
    std::int64_t value = v ? prefAsInteger(*v) : 0;
    bool inRange = value >= 0 && value < static_cast<std::int64_t>(p.items.size());
    std::string shown =
        inRange ? p.items[static_cast<std::size_t>(value)] : "(" + std::to_string(value) + ")";
    double boxX = left_ + 230, boxW = right_ - boxX;
    c_.w.begin("g", {{"class", "popup"},
                     {"data-title", p.title()},
                     {"data-key", p.binding().key},
                     {"data-value", std::to_string(value)}});
    text(x(), y_ + 16, p.title());
    c_.w.leaf("rect", {{"class", "popup-box"},
                       {"x", svgNumber(boxX)},
                       {"y", svgNumber(y_)},
                       {"width", svgNumber(boxW)},
                       {"height", "22"},
                       {"rx", "5"},
                       {"fill", "#ffffff"},
                       {"stroke", "#a1a1a6"}});
    text(boxX + 10, y_ + 16, shown);
    text(boxX + boxW - 14, y_ + 16, "\xE2\x8C\x84", "middle");
    // The choices, hidden until the page opens the pop-up.
    c_.w.begin("g", {{"class", "popup-menu"}, {"visibility", "hidden"}});
    double h = 22 * static_cast<double>(p.items.size()) + 8;
    c_.w.leaf("rect", {{"x", svgNumber(boxX)},
                       {"y", svgNumber(y_ + 24)},
                       {"width", svgNumber(boxW)},
                       {"height", svgNumber(h)},
                       {"rx", "6"},
                       {"fill", "#f2f2f2"},
                       {"stroke", "#a1a1a6"}});
    for (std::size_t i = 0; i < p.items.size(); ++i) {
      double iy = y_ + 28 + 22 * static_cast<double>(i);
      c_.w.begin("g",
                 {{"class", "popup-item"},
                  {"data-value", std::to_string(i)},
                  {"data-title", p.items[i]},
                  {"data-selected", static_cast<std::int64_t>(i) == value ? "true" : "false"}});
      c_.w.leaf("rect", {{"class", "menuitem-bg"},
                         {"x", svgNumber(boxX + 4)},
                         {"y", svgNumber(iy)},
                         {"width", svgNumber(boxW - 8)},
                         {"height", "22"},
                         {"rx", "4"},
                         {"fill", "transparent"}});
      text(boxX + 12, iy + 15, p.items[i]);
      c_.w.end();
    }
    c_.w.end();
    c_.w.end();
    return true;
  }

  bool slider(const SimValueControl& s) {
    auto v = d_.defaults().get(s.binding().key);
    double value = v ? static_cast<double>(prefAsFloat(*v)) : s.minValue;
    double x0 = left_ + 230, x1 = right_ - 60;
    double span = s.maxValue - s.minValue;
    double t =
        span > 0 && std::isfinite(value) ? std::clamp((value - s.minValue) / span, 0.0, 1.0) : 0.0;
    c_.w.begin("g", {{"class", "slider"},
                     {"data-title", s.title()},
                     {"data-key", s.binding().key},
                     {"data-value", valueText(value)},
                     {"data-min", valueText(s.minValue)},
                     {"data-max", valueText(s.maxValue)},
                     {"data-track-x0", svgNumber(x0)},
                     {"data-track-x1", svgNumber(x1)}});
    text(x(), y_ + 16, s.title());
    c_.w.leaf("rect", {{"class", "slider-track"},
                       {"x", svgNumber(x0 - 8)},
                       {"y", svgNumber(y_)},
                       {"width", svgNumber(x1 - x0 + 16)},
                       {"height", "22"},
                       {"fill", "transparent"}});
    c_.w.leaf("rect", {{"x", svgNumber(x0)},
                       {"y", svgNumber(y_ + 9)},
                       {"width", svgNumber(x1 - x0)},
                       {"height", "4"},
                       {"rx", "2"},
                       {"fill", "#c7c7cc"}});
    c_.w.leaf("circle", {{"class", "slider-knob"},
                         {"cx", svgNumber(x0 + t * (x1 - x0))},
                         {"cy", svgNumber(y_ + 11)},
                         {"r", "8"},
                         {"fill", "#ffffff"},
                         {"stroke", "#8e8e93"}});
    text(x1 + 14, y_ + 16, valueText(value) + " s");
    c_.w.end();
    return true;
  }

  SvgCanvas& c_;
  DesktopScene d_;
  const SimWindow& window_;
  platform::Rect frame_;
  double left_, right_, y_, x_ = 0;
};

void windowChrome(SvgCanvas& c, const SimWindow& window, bool front) {
  auto f = window.frame();
  double top = c.y(f.maxY());
  auto body = c.rect(f);
  body.push_back({"rx", "10"});
  body.push_back({"fill", "#ececec"});
  body.push_back({"stroke", front ? "#8e8e93" : "#b8b8bd"});
  c.w.leaf("rect", body);
  c.w.leaf("rect", {{"class", "titlebar"},
                    {"x", svgNumber(f.minX())},
                    {"y", svgNumber(top)},
                    {"width", svgNumber(f.size.width)},
                    {"height", svgNumber(kTitleBarHeight)},
                    {"rx", "10"},
                    {"fill", front ? "#dcdcdf" : "#e8e8ea"}});
  const char* lights[] = {"#ff5f57", "#febc2e", "#28c840"};
  for (int i = 0; i < 3; ++i)
    c.w.leaf("circle", {{"class", i == 0 ? "close-button" : "window-light"},
                        {"cx", svgNumber(f.minX() + 16 + 20 * i)},
                        {"cy", svgNumber(top + kTitleBarHeight / 2)},
                        {"r", "6"},
                        {"fill", front ? lights[i] : "#c7c7cc"}});
  c.w.textElement("text",
                  {{"x", svgNumber(f.minX() + f.size.width / 2)},
                   {"y", svgNumber(top + 18)},
                   {"text-anchor", "middle"},
                   {"font-size", "13"},
                   {"fill", "#3a3a3c"}},
                  window.name());
}

}  // namespace

void drawWindows(SvgCanvas& c, const DesktopScene& d, const backend::Bitmap* appIcon) {
  auto* session = d.session();
  c.w.begin("g", {{"id", "windows"}});
  if (session && !session->context().stopRequested) {
    auto windows = session->simAppKit().visibleWindows();
    for (std::size_t i = 0; i < windows.size(); ++i) {
      const SimWindow& window = *windows[i];
      bool front = i + 1 == windows.size();
      c.w.begin("g", {{"class", "window"},
                      {"id", "window-" + window.name()},
                      {"data-name", window.name()},
                      {"data-frame", frameText(window.frame())},
                      {"data-level", std::to_string(window.level())},
                      {"data-front", front ? "true" : "false"}});
      windowChrome(c, window, front);
      WindowPainter painter(c, d, window);
      if (window.name() == "About")
        painter.about(appIcon, session->context().bundleInfo);
      else
        painter.controls();
      c.w.end();
    }
  }
  c.w.end();
}

}  // namespace sim
