// Typed commands: one line parses to one struct, which prints back as a line
// that parses to an equal struct; a live session's line acts as the same
// line of a scenario file would.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "platform/events.h"
#include "sim/scenario/scenario.h"
#include "tests/agent_on_desktop.h"
#include "tests/sim/scenario/scenario_text.h"

namespace fs = std::filesystem;

namespace {

using scenario_text::parse;

sim::TimedAction timed(const std::string& text) {
  return sim::parseTimedCommand(text, "live:1").action;
}

std::string liveError(const std::string& text, const sim::DockCatalog* dock = nullptr) {
  try {
    sim::parseTimedCommand(text, "live:7", dock);
  } catch (const sim::ScenarioError& e) {
    return e.what();
  }
  return "no error";
}

TEST(TypedCommands, EachLineParsesToItsStruct) {
  using platform::kEventModifierFlagCommand;
  using platform::kEventModifierFlagOption;
  EXPECT_EQ(timed("pointer 10 20.5"), sim::TimedAction(sim::PointerTo{10, 20.5}));
  EXPECT_EQ(timed("pointer dock \"Safari\" 3 -2"),
            sim::TimedAction(sim::PointerToDock{std::string("Safari"), 3, -2}));
  EXPECT_EQ(timed("pointer dock 2"), sim::TimedAction(sim::PointerToDock{std::size_t{2}, 0, 0}));
  EXPECT_EQ(timed("modifiers option+command"),
            sim::TimedAction(sim::Modifiers{kEventModifierFlagCommand | kEventModifierFlagOption}));
  EXPECT_EQ(timed("modifiers none"), sim::TimedAction(sim::Modifiers{0}));
  EXPECT_EQ(timed("defaults delay float 0.25"), sim::TimedAction(sim::DefaultsSet{"delay", 0.25}));
  EXPECT_EQ(timed("defaults modKey int -3"),
            sim::TimedAction(sim::DefaultsSet{"modKey", std::int64_t{-3}}));
  EXPECT_EQ(timed("defaults name string \"a \\\"b\\\"\""),
            sim::TimedAction(sim::DefaultsSet{"name", std::string("a \"b\"")}));
  EXPECT_EQ(timed("menu \"Quit\""), sim::TimedAction(sim::Menu{"Quit"}));
  EXPECT_EQ(timed("check \"Launch at login\" off"),
            sim::TimedAction(sim::Check{"Launch at login", false}));
  EXPECT_EQ(timed("screens 0 0 1440 900; 1440 0 800 600"),
            sim::TimedAction(sim::Screens{{{{0, 0}, {1440, 900}}, {{1440, 0}, {800, 600}}}}));
  EXPECT_EQ(timed("login-items remove \"file:///A.app/\""),
            sim::TimedAction(sim::LoginItemsRemove{"file:///A.app/"}));
  EXPECT_EQ(timed("dock restart"), sim::TimedAction(sim::DockRestart{}));
  EXPECT_NE(timed("click"), timed("rightclick"));

  auto s = parse(
      "screen 0 0 1440 900\ndock app none running bundle com.example.x\n"
      "dock item \"Widget\" none\ndock child number -4\nno info SUFeedURL\n");
  EXPECT_EQ(s.setup[0].action, sim::SetupAction(sim::AddScreen{{{0, 0}, {1440, 900}}}));
  EXPECT_EQ(s.setup[1].action,
            sim::SetupAction(sim::AddDockItem{sim::DockItemKind::App, std::nullopt, std::nullopt,
                                              true, "com.example.x"}));
  EXPECT_EQ(s.setup[2].action,
            sim::SetupAction(sim::AddDockItem{sim::DockItemKind::Other, "Widget", std::nullopt,
                                              false, std::nullopt}));
  EXPECT_EQ(s.setup[3].action,
            sim::SetupAction(sim::AddDockChild{{sim::DockChild::NumberIdentifier, "", -4}}));
  EXPECT_EQ(s.setup[4].action, sim::SetupAction(sim::RemoveInfo{"SUFeedURL"}));
}

TEST(TypedCommands, OneLineErrorsNameWhereTheyAre) {
  EXPECT_EQ(liveError("jump").rfind("live:7: jump: expected one of pointer, modifiers", 0), 0u);
  EXPECT_EQ(liveError(""), "live:7: expected a command");
  EXPECT_EQ(liveError("# only a comment"), "live:7: expected a command");
  EXPECT_EQ(liveError("\"pointer\" 1 2"), "live:7: expected a command");
  EXPECT_EQ(liveError(std::string("click\0", 6)), "live:7: a control character (0x00) at column 6");
  EXPECT_EQ(liveError("defaults delay float nan"), "live:7: nan is not a finite number");
  EXPECT_EQ(liveError("pointer dock 0"),
            "live:7: pointer: no Dock item number 0 (item numbers run from 1 to 1000)");
  EXPECT_EQ(liveError("pointer dock 1001"),
            "live:7: pointer: no Dock item number 1001 (item numbers run from 1 to 1000)");
  EXPECT_EQ(liveError("pointer dock \"Anything\""), "no error");
  // Given the Dock, a live session's line is checked as a file's would be.
  auto dock = sim::DockCatalog::of(sim::dockItemsOf({}));
  EXPECT_EQ(liveError("pointer dock 7", &dock),
            "live:7: pointer: no Dock item number 7 (the Dock has 6)");
  EXPECT_EQ(liveError("pointer dock \"Mail\"", &dock),
            "live:7: pointer: no Dock item is titled \"Mail\"");
  EXPECT_EQ(liveError("pointer dock \"Notes\"", &dock), "no error");
  // `at T` belongs to a file's line, not to one command.
  EXPECT_EQ(liveError("at 1 click").rfind("live:7: at: expected one of", 0), 0u);
}

TEST(TypedCommands, EchoKeepsTheWordsAsWritten) {
  auto s = parse("at 1 pointer 10.50   3   # there\nat 2\tmodifiers command+command\n");
  EXPECT_EQ(s.timed[0].echo(), "pointer 10.50 3");
  EXPECT_EQ(s.timed[0].action, sim::TimedAction(sim::PointerTo{10.5, 3}));
  EXPECT_EQ(s.timed[1].echo(), "modifiers command+command");
  EXPECT_EQ(sim::parseTimedCommand("menu   \"A\\\\B\"", "live").echo(), "menu \"A\\\\B\"");
}

TEST(TypedCommands, EveryCommandPrintsBackToAnEqualCommand) {
  const char* const lines[] = {
      "pointer 10.1 -20",
      "pointer 1e-310 1.7976931348623157e308",
      "pointer dock \"Sa \\\"fari\\\" \\\\\" 0.1 -0",
      "pointer dock 3",
      "pointer dock 3 0 0",
      "modifiers shift+control+command+option",
      "modifiers command+command",
      "modifiers none",
      "rightclick",
      "click",
      "grant",
      "revoke",
      "revoke stale",
      "defaults delay float 0.30000000000000004",
      "defaults delay float 4.9406564584124654e-324",
      "defaults modKey int -9223372036854775808",
      "defaults ActivateStackOnHover bool true",
      "defaults feed string \"\"",
      "defaults feed string \"a#b\tc\"",
      "menu \"🗂️ More Apps...\"",
      "button \"OK\"",
      "check \"Launch at login\" on",
      "close",
      "mission-control",
      "dock restart",
      "dock quit",
      "login-items add \"file:///A%20B.app/\"",
      "login-items remove \"x\"",
      "screens 0 0 1440 900;1440 0 800 600 ; -800.5 0 800.5 600",
      "relaunch",
      "inspect",
  };
  for (const char* line : lines) {
    auto first = sim::parseTimedCommand(line, "live");
    std::string text = sim::commandText(first.action);
    auto again = sim::parseTimedCommand(text, "again");
    EXPECT_EQ(first, again) << line << " printed as " << text;
    EXPECT_EQ(sim::commandText(again.action), text) << line;
  }
  EXPECT_EQ(sim::commandText(timed("pointer dock 3 0 0")), "pointer dock 3");
  EXPECT_EQ(sim::commandText(timed("modifiers option+command")), "modifiers command+option");
  EXPECT_EQ(sim::commandText(timed("defaults delay float 1.50")), "defaults delay float 1.5");
  EXPECT_EQ(sim::commandText(timed("screens 0 0 1 1;2 2 3 3")), "screens 0 0 1 1 ; 2 2 3 3");

  auto s = parse(
      "screen 0 0.5 1440 900\ndock app \"Mail\" running bundle com.example.mail\n"
      "dock app none\ndock folder none\ndock trash \"Trash\"\ndock minimized \"Doc\"\n"
      "dock item \"W\" AXSomething\ndock item none none\ndock child \"appexpose\"\n"
      "dock child none\ndock child number 12\ndock children unreadable\nno dock\n"
      "no info SUFeedURL\napp \"Helper\" bundle h.b\napp \"Other\"\ntrusted no\n"
      "trusted stale\nno updater\napp nap 2.5\nlogin-item awaiting-approval\n"
      "dock app \"Slow\" running no-expose bundle s.x\n"
      "defaults delay float 2\ninfo SUFeedURL \"https://x/\"\nlogin-item \"file:///L.app/\"\n"
      "at 0 click\nat 1e-9 pointer dock 2\nrun 30.25\n");
  std::string text = sim::scenarioText(s);
  EXPECT_EQ(parse(text), s) << text;
  EXPECT_EQ(sim::scenarioLine(s.timed[1]), "at 1e-09 pointer dock 2");
}

TEST(TypedCommands, ShippedScenariosPrintBackToEqualScenarios) {
  int files = 0;
  for (const char* dir : {"tests/scenarios", "examples", "tests/scenarios/malformed"}) {
    for (const auto& entry : fs::directory_iterator(fs::path(VISTREL_SOURCE_DIR) / dir)) {
      if (entry.path().extension() != ".scn") continue;
      sim::Scenario s;
      try {
        s = sim::loadScenario(entry.path().string());
      } catch (const sim::ScenarioError&) {
        continue;  // the malformed ones
      }
      ++files;
      std::string text = sim::scenarioText(s);
      EXPECT_EQ(parse(text), s) << entry.path() << " printed as\n" << text;
    }
  }
  EXPECT_GE(files, 30);
}

TEST(TypedCommands, LiveCommandActsAsTheScenarioLineWould) {
  std::ostringstream fromFile;
  {
    std::istringstream in("at 1.2 pointer dock \"Safari\" 3 -2\nat 1.7 modifiers shift\nrun 3\n");
    sim::Desktop desktop(sim::parseScenario(in, "t.scn"), fromFile,
                         {agentMain, VISTREL_RESOURCE_DIR, {}, {}});
    desktop.run();
  }
  std::ostringstream live;
  {
    AgentOnDesktop agent("run 3\n", &live);
    auto& desktop = agent.desktop();
    desktop.advanceTo(sim::toNanos(1.2));
    desktop.apply(sim::parseTimedCommand("pointer dock \"Safari\" 3 -2", "live:1"));
    desktop.advanceTo(sim::toNanos(1.7));
    desktop.apply(sim::parseTimedCommand("modifiers shift", "live:2"));
    desktop.advanceTo(desktop.endTime());
    desktop.finish();
  }
  EXPECT_EQ(live.str(), fromFile.str());
}

TEST(TypedCommands, LiveCommandForAnItemTheDockLacksIsAnInputError) {
  AgentOnDesktop agent("");
  agent.newTrace();
  auto before = agent.world().pointer;
  agent.desktop().apply(sim::parseTimedCommand("pointer dock \"Mail\"", "live:4"));
  agent.desktop().apply(sim::parseTimedCommand("pointer dock 7", "live:5"));
  EXPECT_EQ(agent.newTrace(),
            "0.000 input.pointer dock \"Mail\"\n"
            "0.000 input.error \"the Dock has no such item\"\n"
            "0.000 input.pointer dock 7\n"
            "0.000 input.error \"the Dock has no such item\"\n");
  EXPECT_EQ(agent.world().pointer, before);
}

}  // namespace
