// The desktop's picture holds what the desktop holds: App Exposé after
// resting on Safari, the checkboxes as they are set, the Dock's items, the
// screens flipped into SVG's y-down coordinates, the modifier keys.
#include "sim/picture/desktop_svg.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "sim/picture/svg_writer.h"
#include "tests/agent_on_desktop.h"

namespace fs = std::filesystem;

namespace {

struct Element {
  std::string tag;
  std::map<std::string, std::string> attrs;
  std::string attr(const std::string& name) const {
    auto it = attrs.find(name);
    return it == attrs.end() ? "(none)" : it->second;
  }
};

// The start tags of an SVG text, in order, with their attributes unescaped.
std::vector<Element> elementsOf(const std::string& svg) {
  static const std::regex tag(R"(<([a-zA-Z]+)([^>]*)>)");
  static const std::regex attr(R"(([a-zA-Z:-]+)="([^"]*)\")");
  auto unescape = [](std::string v) {
    const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&amp;", "&"}};
    for (const auto& [from, to] : entities)
      for (std::size_t at; (at = v.find(from)) != std::string::npos;)
        v.replace(at, std::string(from).size(), to);
    return v;
  };
  std::vector<Element> out;
  for (std::sregex_iterator it(svg.begin(), svg.end(), tag), end; it != end; ++it) {
    Element e{(*it)[1], {}};
    std::string rest = (*it)[2];
    for (std::sregex_iterator a(rest.begin(), rest.end(), attr); a != end; ++a)
      e.attrs[(*a)[1]] = unescape((*a)[2]);
    out.push_back(std::move(e));
  }
  return out;
}

std::vector<Element> withClass(const std::vector<Element>& all, const std::string& cls) {
  std::vector<Element> out;
  for (const auto& e : all) {
    std::istringstream classes(e.attr("class"));
    for (std::string c; classes >> c;)
      if (c == cls) out.push_back(e);
  }
  return out;
}

const Element* withId(const std::vector<Element>& all, const std::string& id) {
  for (const auto& e : all)
    if (e.attr("id") == id) return &e;
  return nullptr;
}

std::vector<Element> pictureAt(AgentOnDesktop& agent, double seconds) {
  agent.desktop().advanceTo(sim::toNanos(seconds));
  return elementsOf(sim::desktopSVG(agent.desktop().scene()));
}

TEST(DesktopPicture, AppExposeShowsOnlyOnceTheAgentAskedForIt) {
  AgentOnDesktop agent("at 1.2 pointer dock \"Safari\"\n");
  auto before = pictureAt(agent, 1.55);
  EXPECT_EQ(withId(before, "appexpose"), nullptr);
  auto after = pictureAt(agent, 1.601);  // 0.1 s as a float is a little more
  const Element* expose = withId(after, "appexpose");
  ASSERT_NE(expose, nullptr);
  EXPECT_EQ(expose->attr("data-app"), "Safari");
  EXPECT_EQ(expose->attr("data-index"), "2");
  // The pointer rests on Safari, whose title the Dock shows.
  EXPECT_EQ(withId(after, "docklabel")->attr("data-item"), "Safari");
  const Element* pointer = withId(after, "pointer");
  ASSERT_NE(pointer, nullptr);
  auto centre = agent.world().itemCocoaCentre(1);
  EXPECT_EQ(pointer->attr("data-x"), backend::formatCoordinate(centre.x));
  EXPECT_EQ(pointer->attr("data-y"), backend::formatCoordinate(centre.y));
}

TEST(DesktopPicture, CheckboxesShowTheirStateAfterCheckAndAfterTheDefaultsChange) {
  AgentOnDesktop agent(
      "at 1 menu \"Preferences...\"\n"
      "at 2 check \"Open stacks on hover\" on\n"
      "at 2 check \"Check for beta updates\" on\n"
      "at 3 check \"Check for beta updates\" off\n"
      "at 4 defaults ActivateStackOnHover bool false\n");
  auto checked = [](const std::vector<Element>& picture) {
    std::map<std::string, std::string> states;
    for (const auto& box : withClass(picture, "checkbox"))
      states[box.attr("data-title")] = box.attr("data-checked");
    return states;
  };
  auto first = checked(pictureAt(agent, 1.5));
  EXPECT_EQ(first.size(), 4u);
  for (const auto& [title, state] : first) EXPECT_EQ(state, "false") << title;

  auto second = checked(pictureAt(agent, 2));
  EXPECT_EQ(second["Open stacks on hover"], "true");
  EXPECT_EQ(second["Check for beta updates"], "true");
  EXPECT_EQ(second["Launch at login"], "false");
  EXPECT_EQ(checked(pictureAt(agent, 3))["Check for beta updates"], "false");
  // Bound to the defaults, the box shows what they hold now.
  EXPECT_EQ(checked(pictureAt(agent, 4))["Open stacks on hover"], "false");
}

TEST(DesktopPicture, SettingsWindowShowsItsLightButtonPopupAndSlider) {
  AgentOnDesktop agent(
      "trusted no\n"
      "defaults modKey int 2\n"
      "defaults delay float 0.5\n"
      "at 1 menu \"Preferences...\"\n");
  auto picture = pictureAt(agent, 1.5);
  auto windows = withClass(picture, "window");
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(windows[0].attr("data-name"), "SettingsController");
  EXPECT_EQ(windows[0].attr("data-front"), "true");
  EXPECT_EQ(withClass(picture, "status-light").at(0).attr("data-image"), "NSStatusUnavailable");
  EXPECT_EQ(withClass(picture, "button").at(0).attr("data-title"), "Request Access");
  auto popup = withClass(picture, "popup").at(0);
  EXPECT_EQ(popup.attr("data-key"), "modKey");
  EXPECT_EQ(popup.attr("data-value"), "2");
  EXPECT_EQ(withClass(picture, "popup-item").size(), 4u);
  auto slider = withClass(picture, "slider").at(0);
  EXPECT_EQ(slider.attr("data-key"), "delay");
  EXPECT_EQ(slider.attr("data-value"), "0.5");
  EXPECT_EQ(slider.attr("data-max"), "2");

  // The About panel comes in front of it.
  agent.desktop().apply(sim::Command{0, 2, sim::Menu{"About"}, "menu \"About\""});
  windows = withClass(elementsOf(sim::desktopSVG(agent.desktop().scene())), "window");
  ASSERT_EQ(windows.size(), 2u);
  EXPECT_EQ(windows[1].attr("data-name"), "About");
  EXPECT_EQ(windows[1].attr("data-front"), "true");
  EXPECT_EQ(windows[0].attr("data-front"), "false");
}

TEST(DesktopPicture, DockItemsWithTheirKindAndRunningIndicator) {
  AgentOnDesktop agent(
      "dock app \"Mail\" running\n"
      "dock app \"A<b>\\\"c\"\n"
      "dock folder \"Downloads\"\n"
      "dock minimized \"Report.pdf\"\n"
      "dock item \"Odd\" none\n"
      "dock trash \"Trash\"\n");
  auto picture = pictureAt(agent, 0.1);
  auto items = withClass(picture, "dockitem");
  ASSERT_EQ(items.size(), 6u);
  const std::tuple<const char*, const char*, const char*> expected[] = {
      {"Mail", "app", "true"},          {"A<b>\"c", "app", "false"},
      {"Downloads", "folder", "false"}, {"Report.pdf", "minimized", "false"},
      {"Odd", "item", "false"},         {"Trash", "trash", "false"}};
  for (std::size_t i = 0; i < items.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(items[i].attr("data-title"), std::get<0>(expected[i]));
    EXPECT_EQ(items[i].attr("data-kind"), std::get<1>(expected[i]));
    EXPECT_EQ(items[i].attr("data-running"), std::get<2>(expected[i]));
  }
  EXPECT_EQ(items[4].attr("data-subrole"), "none");
  EXPECT_EQ(withClass(picture, "running-indicator").size(), 1u);

  agent.desktop().apply(sim::Command{0, 1, sim::DockQuit{}, "dock quit"});
  picture = elementsOf(sim::desktopSVG(agent.desktop().scene()));
  EXPECT_EQ(withId(picture, "dock")->attr("data-running"), "false");
  EXPECT_TRUE(withClass(picture, "dockitem").empty());
}

TEST(DesktopPicture, OtherApplicationsWindowsAreDrawnBottomFirstWithTheirNames) {
  AgentOnDesktop agent("window \"Safari\" 100 200 300 400\nwindow \"Finder\" 0 0 50 60\n");
  auto picture = pictureAt(agent, 0.1);
  auto windows = withClass(picture, "app-window");
  ASSERT_EQ(windows.size(), 2u);
  EXPECT_EQ(windows[0].attr("data-app"), "Safari");
  EXPECT_EQ(windows[1].attr("data-app"), "Finder");
  agent.desktop().apply(sim::parseTimedCommand("window \"Finder\" close", "t:1"));
  agent.desktop().apply(sim::parseTimedCommand("window \"Safari\" close", "t:2"));
  picture = elementsOf(sim::desktopSVG(agent.desktop().scene()));
  EXPECT_FALSE(withId(picture, "app-windows"));
}

TEST(DesktopPicture, WhatTheDockShowsOpensAndCloses) {
  AgentOnDesktop agent(
      "at 1 pointer dock \"Downloads\"\n"
      "at 1.1 click\n"
      "at 2 pointer dock \"Terminal\"\n"
      "at 2.1 rightclick\n"
      "at 3 click\n"
      "at 4 mission-control\n");
  EXPECT_EQ(withId(pictureAt(agent, 1.1), "stack")->attr("data-item"), "Downloads");
  auto menu = pictureAt(agent, 2.1);
  ASSERT_NE(withId(menu, "dockmenu"), nullptr);
  EXPECT_EQ(withId(menu, "dockmenu")->attr("data-item"), "Terminal");
  EXPECT_EQ(withId(pictureAt(agent, 3), "dockmenu"), nullptr);
  EXPECT_NE(withId(pictureAt(agent, 4), "missioncontrol"), nullptr);
}

TEST(DesktopPicture, ScreensAreFlippedAboutTheHighestTop) {
  AgentOnDesktop agent(
      "screen 0 0 1440 900\n"
      "screen 1440 -200 1280 1024\n"
      "at 1 pointer 1500 100\n"
      "at 1 modifiers option+shift\n");
  auto picture = pictureAt(agent, 1);
  const Element* root = withId(picture, "desktop");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->attr("data-top"), "900");
  auto screens = withClass(picture, "screen");
  ASSERT_EQ(screens.size(), 2u);
  EXPECT_EQ(screens[1].attr("data-frame"), "1440 -200 1280 1024");
  // The screen's rectangle follows its group: y = top - maxY.
  std::size_t at = 0;
  while (at < picture.size() && picture[at].attr("id") != "screen-2") ++at;
  ASSERT_LT(at + 1, picture.size());
  EXPECT_EQ(picture[at + 1].attr("y"), "76");
  EXPECT_EQ(picture[at + 1].attr("height"), "1024");
  EXPECT_EQ(withId(picture, "pointer")->attr("transform"), "translate(1500 800)");
  EXPECT_EQ(withId(picture, "modifiers")->attr("data-keys"), "shift+option");
}

TEST(DesktopPicture, StatusItemDrawsTheIconBitsAndListsTheMenu) {
  AgentOnDesktop agent("");
  auto picture = pictureAt(agent, 0.1);
  const Element* item = withId(picture, "statusitem");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->attr("data-image"), "Status_Icon");
  EXPECT_EQ(item->attr("data-template"), "true");
  std::vector<std::string> titles;
  for (const auto& entry : withClass(picture, "menuitem"))
    titles.push_back(entry.attr("data-title"));
  EXPECT_EQ(titles, (std::vector<std::string>{
                        "About", "Preferences...", "Check for Updates...", "Send Feedback/Support",
                        "\xF0\x9F\x97\x82\xEF\xB8\x8F More Apps...", "Quit"}));
  // Every ink bit of the icon is covered by exactly one run.
  backend::Bitmap icon;
  ASSERT_FALSE(backend::readPBM(std::string(VISTREL_RESOURCE_DIR) + "/Status_Icon.pbm", &icon));
  std::size_t ink = 0;
  for (bool b : icon.bits) ink += b;
  std::string svg = sim::desktopSVG(agent.desktop().scene());
  auto all = elementsOf(svg);
  std::size_t covered = 0;
  bool inIcon = false;
  for (const auto& e : all) {
    if (e.attr("id") == "statusitem") inIcon = true;
    if (inIcon && e.tag == "g" && e.attr("class") == "bitmap") continue;
    if (inIcon && e.tag == "rect" && e.attr("class") == "(none)")
      covered += static_cast<std::size_t>(std::stoi(e.attr("width")));
    if (inIcon && e.attr("id") == "statusmenu") break;
  }
  EXPECT_EQ(covered, ink);
}

TEST(SvgWriter, EscapesMarkupAndReplacesBytesThatAreNotUtf8) {
  EXPECT_EQ(sim::xmlEscape("a<b>&\"'"), "a&lt;b&gt;&amp;&quot;&#39;");
  EXPECT_EQ(sim::xmlEscape("caf\xC3\xA9"), "caf\xC3\xA9");
  EXPECT_EQ(sim::xmlEscape("x\xFFy\x01"), "x\xEF\xBF\xBDy ");
  EXPECT_EQ(sim::svgNumber(1.5), "1.5");
  EXPECT_EQ(sim::svgNumber(-0.0001), "0");
  EXPECT_EQ(sim::svgNumber(2.0), "2");
}

class SnapshotCommand : public testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::temp_directory_path() / ("vistrel-snapshot-" + std::to_string(::getpid()) + "-" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(SnapshotCommand, WritesThePictureAtThatMomentAndTracesIt) {
  auto file = (dir_ / "a.svg").string();
  std::ofstream(file) << "old picture";
  std::ostringstream trace;
  AgentOnDesktop agent("at 1.2 pointer dock \"Safari\"\nat 1.7 snapshot \"" + file + "\"\n",
                       &trace);
  agent.desktop().advanceTo(sim::toNanos(2));
  EXPECT_NE(
      trace.str().find("1.700 input.snapshot \"" + file + "\"\n1.700 snapshot \"" + file + "\"\n"),
      std::string::npos)
      << trace.str();
  std::ifstream in(file);
  std::stringstream written;
  written << in.rdbuf();
  auto picture = elementsOf(written.str());
  ASSERT_NE(withId(picture, "appexpose"), nullptr);
  // Nothing is left beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator{}), 1);
}

TEST_F(SnapshotCommand, AFileThatCannotBeWrittenIsAnInputError) {
  auto file = (dir_ / "missing" / "a.svg").string();
  fs::create_directories(dir_ / "b.svg");
  std::ostringstream trace;
  AgentOnDesktop agent(
      "at 1 snapshot \"" + file + "\"\nat 2 snapshot \"" + (dir_ / "b.svg").string() + "\"\n",
      &trace);
  agent.desktop().advanceTo(sim::toNanos(2));
  EXPECT_NE(trace.str().find("1.000 input.error \"cannot write " + file +
                             ": No such file or directory\""),
            std::string::npos)
      << trace.str();
  EXPECT_NE(trace.str().find("not a regular file"), std::string::npos);
  EXPECT_TRUE(fs::is_directory(dir_ / "b.svg"));
}

TEST(SnapshotCommandLine, NamesAnSvgFileInQuotes) {
  auto error = [](const std::string& line) {
    std::istringstream in("at 1 " + line + "\n");
    try {
      sim::parseScenario(in, "t.scn");
    } catch (const sim::ScenarioError& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(error("snapshot \"a.svg\""), "no error");
  EXPECT_EQ(error("snapshot \"a.png\""), "t.scn:1: snapshot: the file name must end in .svg");
  EXPECT_EQ(error("snapshot a.svg"), "t.scn:1: snapshot: expected a string in double quotes");
  EXPECT_EQ(error("snapshot"), "t.scn:1: snapshot: expected 1 argument(s), got 0");
}

}  // namespace
