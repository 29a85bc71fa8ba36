// The trace both desktops write: each event's exact line, and the formats
// of its times, strings and elements, so that a run on a Mac compares line
// by line with a scenario's expected trace.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "backend/trace.h"
#include "backend/words.h"

namespace {

using backend::Event;

class FixedClock final : public backend::Clock {
 public:
  std::int64_t now() const override { return nanos; }
  std::int64_t nanos = 0;
};

class TraceLines : public ::testing::Test {
 protected:
  // What the trace wrote since the last call.
  std::string written() {
    std::string all = out_.str();
    out_.str("");
    return all;
  }

  std::ostringstream out_;
  FixedClock clock_;
  backend::Trace trace_{out_, clock_};
};

TEST_F(TraceLines, EachLineStartsWithTheTimeInSecondsWithThreeDecimals) {
  trace_.performSchedule("showAppExpose", 0.1);
  EXPECT_EQ(written(), "0.000 perform.schedule showAppExpose 0.100\n");
  clock_.nanos = 1'234'500'000;
  trace_.performRun("showAppExpose");
  EXPECT_EQ(written(), "1.235 perform.run showAppExpose\n");
  EXPECT_EQ(trace_.lines(), 2u);
}

TEST_F(TraceLines, TimersPerformRequestsAndMonitors) {
  trace_.timerStart("AppDelegate", "onTimer", 0.5);
  trace_.timerStop("AppDelegate", "onTimer");
  trace_.dispatchStart("PermissionPoll", 1);
  trace_.dispatchStop("PermissionPoll");
  trace_.performCancel(std::nullopt, 2);
  trace_.performCancel(std::string("showAppExpose"), 0);
  trace_.monitorInstall(1u << 3);
  trace_.monitorInstall(1u << 1);  // no right-button presses: no line
  EXPECT_EQ(written(),
            "0.000 timer.start AppDelegate.onTimer 0.500\n"
            "0.000 timer.stop AppDelegate.onTimer\n"
            "0.000 dispatch.start PermissionPoll 1.000\n"
            "0.000 dispatch.stop PermissionPoll\n"
            "0.000 perform.cancel all 2\n"
            "0.000 perform.cancel showAppExpose 0\n"
            "0.000 monitor.install rightMouseDown\n");
  EXPECT_EQ(trace_.lines(), 7u);
}

TEST_F(TraceLines, AccessibilityAndEvents) {
  trace_.axSystemwide();
  trace_.axAction("AXShowExpose", backend::elementLabel(true, "Safari", "AXDockItem"), 0);
  trace_.axAction("AXPress", "<AXDockItem>", -25204);
  trace_.axPrompt();
  trace_.eventPost(true, 53, "Dock");
  trace_.eventPost(false, 53, "412");
  trace_.notify("com.apple.accessibility.api");
  trace_.log("Accessibility \"denied\"");
  EXPECT_EQ(written(),
            "0.000 ax.systemwide\n"
            "0.000 ax.action AXShowExpose \"Safari\" 0\n"
            "0.000 ax.action AXPress <AXDockItem> -25204\n"
            "0.000 ax.prompt\n"
            "0.000 event.post keydown 53 Dock\n"
            "0.000 event.post keyup 53 412\n"
            "0.000 notify com.apple.accessibility.api\n"
            "0.000 log \"Accessibility \\\"denied\\\"\"\n");
}

TEST_F(TraceLines, WindowsAndControls) {
  struct NamedImage final : platform::Image {
    const std::string& name() const override { return imageName; }
    void setTemplate(bool) override {}
    bool isTemplate() const override { return false; }
    std::string imageName = "NSStatusAvailable";
  } available;
  trace_.windowShow("SettingsController", {{480, 290}, {480, 320}});
  trace_.windowMove("SettingsController", {-10.5, 1e6});
  trace_.windowCenter("About", {718, 456});
  trace_.windowClose("SettingsController");
  trace_.controlTitle("Request Access");
  trace_.controlImage(&available);
  trace_.controlImage(nullptr);
  trace_.statusItemCreate();
  platform::Menu menu("");
  menu.addItem("Settings…", "openSettings:", ",");
  menu.addItem(platform::MenuItem::separatorItem());
  menu.addItem("Say \"Quit\"", "terminate:", "q");
  trace_.statusItemMenu(menu);
  EXPECT_EQ(written(),
            "0.000 window.show \"SettingsController\" 480 290 480 320\n"
            "0.000 window.move \"SettingsController\" -10.5 1000000\n"
            "0.000 window.center \"About\" 718 456\n"
            "0.000 window.close \"SettingsController\"\n"
            "0.000 control.title \"Request Access\"\n"
            "0.000 control.image NSStatusAvailable\n"
            "0.000 control.image none\n"
            "0.000 statusitem.create\n"
            "0.000 statusitem.menu \"Settings…\" --- \"Say \\\"Quit\\\"\"\n");
}

TEST_F(TraceLines, ApplicationUpdaterAndLoginItems) {
  trace_.appActivate();
  trace_.appAbout();
  trace_.urlOpen("https://example.com/?a=1&b=\"2\"");
  trace_.updaterDelegate();
  trace_.updaterFeed(std::nullopt);
  trace_.updaterFeed(std::string("https://updates.vistrel.app/downloads/Vistrel.xml"));
  trace_.updaterAutomatic(true);
  trace_.updaterAutomatic(false);
  trace_.updaterInterval(86400);
  trace_.updaterInterval(0.5);
  trace_.updaterCheck(false);
  trace_.updaterCheck(true);
  trace_.loginItemsInsert("file:///Applications/Vistrel.app/", true);
  trace_.loginItemsInsert("file:///Applications/Other.app/", false);
  trace_.loginItemsRemove("file:///Applications/Vistrel.app/");
  trace_.kvoChange("launchAtLogin");
  trace_.appQuit();
  EXPECT_EQ(written(),
            "0.000 app.activate\n"
            "0.000 app.about\n"
            "0.000 url.open \"https://example.com/?a=1&b=\\\"2\\\"\"\n"
            "0.000 updater.delegate\n"
            "0.000 updater.feed none\n"
            "0.000 updater.feed \"https://updates.vistrel.app/downloads/Vistrel.xml\"\n"
            "0.000 updater.automatic true\n"
            "0.000 updater.automatic false\n"
            "0.000 updater.interval 86400\n"
            "0.000 updater.interval 0.5\n"
            "0.000 updater.check background\n"
            "0.000 updater.check user\n"
            "0.000 loginitems.insert \"file:///Applications/Vistrel.app/\" first\n"
            "0.000 loginitems.insert \"file:///Applications/Other.app/\" last\n"
            "0.000 loginitems.remove \"file:///Applications/Vistrel.app/\"\n"
            "0.000 kvo.change launchAtLogin\n"
            "0.000 app.quit\n");
}

TEST_F(TraceLines, InputsEchoTheirCommandAndArgumentsWithoutTrailingBlanks) {
  trace_.emit(Event::Input, "pointer 100 200");
  trace_.emit(Event::InputError, backend::quoted("no such window"));
  trace_.emit(Event::DockMissioncontrol);
  EXPECT_EQ(written(),
            "0.000 input.pointer 100 200\n"
            "0.000 input.error \"no such window\"\n"
            "0.000 dock.missioncontrol\n");
}

TEST_F(TraceLines, ABlockIsIndentedAndItsBlankLinesStayBlank) {
  trace_.emitBlock(Event::Inspect, "AXDockItem \"Safari\"\n\nAttributes:\n   AXTitle\n");
  EXPECT_EQ(written(),
            "0.000 inspect\n"
            "    AXDockItem \"Safari\"\n"
            "\n"
            "    Attributes:\n"
            "       AXTitle\n");
  EXPECT_EQ(trace_.lines(), 5u);
}

TEST(TraceEvents, EveryEventHasItsOwnName) {
  std::set<std::string> names;
  for (int e = 0; e < static_cast<int>(Event::Count); ++e) {
    const char* name = backend::eventName(static_cast<Event>(e));
    ASSERT_NE(name, nullptr) << "event " << e;
    EXPECT_NE(std::string(name), "") << "event " << e;
    EXPECT_TRUE(names.insert(name).second) << name << " names two events";
  }
  // The table is parallel to the enumeration: its ends and a middle agree.
  EXPECT_STREQ(backend::eventName(Event::Input), "input.");
  EXPECT_STREQ(backend::eventName(Event::EventPost), "event.post");
  EXPECT_STREQ(backend::eventName(Event::KvoChange), "kvo.change");
  EXPECT_STREQ(backend::eventName(Event::Inspect), "inspect");
}

// --- Formats --------------------------------------------------------------

TEST(TraceFormats, QuotedEscapesQuotesAndBackslashes) {
  EXPECT_EQ(backend::quoted(""), "\"\"");
  EXPECT_EQ(backend::quoted("Safari"), "\"Safari\"");
  EXPECT_EQ(backend::quoted("say \"hi\" C:\\"), "\"say \\\"hi\\\" C:\\\\\"");
  EXPECT_EQ(backend::quoted("Exposé\t#1"), "\"Exposé\t#1\"");
}

TEST(TraceFormats, QuotedKeepsALineBreakFromSplittingTheLine) {
  // A title from another process may hold a line break; the event must
  // still be one line.
  EXPECT_EQ(backend::quoted("two\nlines\r\n"), "\"two\\nlines\\r\\n\"");
  std::ostringstream out;
  FixedClock clock;
  backend::Trace trace(out, clock);
  trace.log("first\nsecond");
  EXPECT_EQ(out.str(), "0.000 log \"first\\nsecond\"\n");
}

TEST(TraceFormats, WhatQuotedWritesReadsBackAsTheSameString) {
  // Stored files are written with quoted() and read with tokenize().
  const std::vector<std::string> texts = {"",   "plain", "\"\\\"", "a\\nb", "line\nbreak\r",
                                          "\\", "#x"};
  for (const auto& text : texts) {
    std::vector<backend::Token> tokens;
    ASSERT_EQ(backend::tokenize(backend::quoted(text) + " # c", &tokens), std::nullopt) << text;
    ASSERT_EQ(tokens.size(), 1u) << text;
    EXPECT_TRUE(tokens[0].quoted);
    EXPECT_EQ(tokens[0].text, text);
  }
}

TEST(TraceFormats, SecondsRoundToTheNearestMillisecond) {
  EXPECT_EQ(backend::formatSeconds(0), "0.000");
  EXPECT_EQ(backend::formatSeconds(499'999), "0.000");
  EXPECT_EQ(backend::formatSeconds(500'000), "0.001") << "halves round up";
  EXPECT_EQ(backend::formatSeconds(100'000'000), "0.100");
  EXPECT_EQ(backend::formatSeconds(1'999'500'000), "2.000");
  EXPECT_EQ(backend::formatSeconds(3'600'000'000'000), "3600.000");
  EXPECT_EQ(backend::formatSeconds(std::numeric_limits<std::int64_t>::max()), "9223372036.855");
}

TEST(TraceFormats, NegativeSecondsRoundAwayFromZeroAndNeverShowMinusZero) {
  EXPECT_EQ(backend::formatSeconds(-1'500'000), "-0.002");
  EXPECT_EQ(backend::formatSeconds(-500'000), "-0.001");
  EXPECT_EQ(backend::formatSeconds(-2'250'000'000), "-2.250");
  EXPECT_EQ(backend::formatSeconds(-1), "0.000");
  EXPECT_EQ(backend::formatSeconds(-499'999), "0.000");
  EXPECT_EQ(backend::formatSeconds(std::numeric_limits<std::int64_t>::min()), "-9223372036.855");
}

TEST(TraceFormats, DurationsAndCoordinates) {
  EXPECT_EQ(backend::threeDecimals(0.1), "0.100");
  EXPECT_EQ(backend::threeDecimals(0.0004), "0.000");
  EXPECT_EQ(backend::threeDecimals(2), "2.000");
  EXPECT_EQ(backend::formatCoordinate(0), "0");
  EXPECT_EQ(backend::formatCoordinate(-1439.5), "-1439.5");
  EXPECT_EQ(backend::formatCoordinate(0.1 + 0.2), "0.3") << "no binary noise";
  EXPECT_EQ(backend::formatCoordinate(5120), "5120");
}

TEST(TraceFormats, ElementsShowTheirTitleElseTheirRoleElseNone) {
  EXPECT_EQ(backend::elementLabel(true, "Safari", "AXDockItem"), "\"Safari\"");
  EXPECT_EQ(backend::elementLabel(true, "", "AXDockItem"), "\"\"") << "an empty title is a title";
  EXPECT_EQ(backend::elementLabel(true, std::nullopt, "AXGroup"), "<AXGroup>");
  EXPECT_EQ(backend::elementLabel(true, std::nullopt, std::nullopt), "none");
  EXPECT_EQ(backend::elementLabel(false, "Safari", "AXDockItem"), "none")
      << "what is no element shows nothing of it";
  EXPECT_EQ(backend::elementLabel(true, "A \"B\"", std::nullopt), "\"A \\\"B\\\"\"");
}

}  // namespace

namespace {

TEST(MutedTrace, WritesNothingAndCountsNoLines) {
  backend::Trace& muted = backend::Trace::muted();
  EXPECT_FALSE(muted.on());
  muted.notify("Name");
  muted.emitBlock(Event::Inspect, "a\nb");
  EXPECT_EQ(muted.lines(), 0u);
}

}  // namespace
