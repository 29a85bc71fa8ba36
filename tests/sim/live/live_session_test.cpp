// A live session with an injected wall clock: the virtual clock follows it
// (pause, step, speed), input is checked like a scenario line and applied
// at the next whole millisecond, and the session written down as a
// scenario replays to the very trace the session wrote.
#include "sim/live/live_session.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "app/entry.h"

namespace {

constexpr sim::Nanos kMs = 1'000'000;
constexpr sim::Nanos kSecond = 1'000'000'000;

sim::DesktopOptions options() { return {agentMain, VISTREL_RESOURCE_DIR, {}, {}}; }

std::unique_ptr<sim::LiveSession> session(const std::string& scenario = "",
                                          sim::LiveLimits limits = {}) {
  return std::make_unique<sim::LiveSession>(sim::LiveSetup::fromText(scenario, "live.scn"),
                                            options(), 0, limits);
}

std::string traceText(const sim::LiveSession& s) {
  std::string text;
  for (const auto& line : s.traceLines()) text += line + "\n";
  return text;
}

bool traceHas(const sim::LiveSession& s, const std::string& line) {
  for (const auto& l : s.traceLines())
    if (l == line) return true;
  return false;
}

std::string replay(const std::string& scenarioText) {
  std::istringstream in(scenarioText);
  std::ostringstream out;
  sim::Desktop desktop(sim::parseScenario(in, "session.scn"), out, options());
  EXPECT_EQ(desktop.run(), 0);
  return out.str();
}

TEST(LiveClock, FollowsTheWallClockAtItsSpeedUnlessPaused) {
  sim::LiveClock clock(10 * kSecond);
  EXPECT_EQ(clock.virtualAt(11 * kSecond), kSecond);
  EXPECT_EQ(clock.setSpeed(2, 11 * kSecond), std::nullopt);
  EXPECT_EQ(clock.virtualAt(12 * kSecond), 3 * kSecond);
  clock.pause(12 * kSecond);
  EXPECT_EQ(clock.virtualAt(20 * kSecond), 3 * kSecond);
  clock.resume(20 * kSecond);
  EXPECT_EQ(clock.virtualAt(21 * kSecond), 5 * kSecond);
  EXPECT_EQ(clock.setSpeed(0.05, 21 * kSecond), "the speed is between 0.1 and 100");
  EXPECT_EQ(clock.setSpeed(101, 21 * kSecond), "the speed is between 0.1 and 100");
  EXPECT_TRUE(clock.setSpeed(std::nan(""), 21 * kSecond));
  EXPECT_EQ(clock.speed(), 2);
}

TEST(LiveClock, SecondsAreWrittenExactly) {
  EXPECT_EQ(sim::exactSeconds(0), "0.000");
  EXPECT_EQ(sim::exactSeconds(1'200'000'000), "1.200");
  EXPECT_EQ(sim::exactSeconds(1'234'500'000), "1.2345");
  EXPECT_EQ(sim::exactSeconds(1), "0.000000001");
  EXPECT_EQ(sim::wholeMillisecond(1'234'999'999), 1'234'000'000);
}

TEST(LiveSession, TheDesktopMovesInWholeMillisecondsOfTheWallClock) {
  auto s = session();
  s->tick(1'234'567'890);
  EXPECT_EQ(s->now(), 1234 * kMs);
  // Two ticks of the agent's 0.5 s timer have run, not the third.
  s->tick(1'499 * kMs);
  EXPECT_EQ(s->desktop().queue().nextDue(), 1500 * kMs);
  s->tick(1'500 * kMs);
  EXPECT_EQ(s->desktop().queue().nextDue(), 2000 * kMs);
}

TEST(LiveSession, PauseStepAndSpeed) {
  auto s = session();
  s->pause(kSecond);
  EXPECT_TRUE(s->paused());
  s->tick(5 * kSecond);
  EXPECT_EQ(s->now(), kSecond);
  s->step(5 * kSecond);  // the agent's next tick
  EXPECT_EQ(s->now(), 1500 * kMs);
  s->step(6 * kSecond);
  EXPECT_EQ(s->now(), 2000 * kMs);
  s->resume(6 * kSecond);
  EXPECT_FALSE(s->paused());
  s->tick(7 * kSecond);  // resumed where it stood, no jump
  EXPECT_EQ(s->now(), 3000 * kMs);
  EXPECT_EQ(s->setSpeed(10, 7 * kSecond), std::nullopt);
  s->tick(8 * kSecond);
  EXPECT_EQ(s->now(), 13000 * kMs);
}

TEST(LiveSession, InputGoesInAtTheNextWholeMillisecond) {
  auto s = session();
  s->tick(1'200'400'000);
  auto out = s->input("pointer dock \"Safari\"", 1'200'400'000);
  ASSERT_EQ(out.result, sim::LiveSession::Result::Applied) << out.error;
  EXPECT_EQ(out.time, 1201 * kMs);
  EXPECT_EQ(out.line, "at 1.201 pointer dock \"Safari\"");
  EXPECT_EQ(s->now(), 1201 * kMs);
  EXPECT_TRUE(traceHas(*s, "1.201 input.pointer dock \"Safari\""));
  // A second input in the same millisecond takes the next one.
  out = s->input("modifiers option", 1'200'400'000);
  EXPECT_EQ(out.time, 1202 * kMs);
  s->tick(1'700 * kMs);
  EXPECT_TRUE(traceHas(*s, "1.600 ax.action AXShowExpose \"Safari\" 0"));
}

TEST(LiveSession, ABadLineIsRefusedWithItsMessageAndChangesNothing) {
  auto s = session("dock app \"Mail\" running\n");
  s->tick(kSecond);
  auto trace = traceText(*s);
  const std::pair<std::string, const char*> cases[] = {
      {"foo",
       "request:1: foo: expected one of pointer, modifiers, rightclick, click, grant, "
       "revoke, defaults, menu, button, check, close, mission-control, dock, login-items, "
       "screens, relaunch, inspect, snapshot, window, app, tracking, sleep, got foo"},
      {"pointer dock \"Safari\"", "request:1: pointer: no Dock item is titled \"Safari\""},
      {"pointer 1", "request:1: pointer: expected 2 argument(s), got 1"},
      {"menu \"About", "request:1: unterminated string"},
      {"", "request:1: expected a command"},
      {"# only a comment", "request:1: expected a command"},
      {"click\nclick", "request:1: one command a line"},
      // Columns name the visitor's own line.
      {std::string("click\0x", 7), "request:1: a control character (0x00) at column 6"},
      {"\x01"
       "click",
       "request:1: a control character (0x01) at column 1"},
      {"menu \"A\x7f\"", "request:1: a control character (0x7F) at column 8"},
      {"menu \"A\xc2\x85\"", "request:1: a control character (U+0085) at column 8"},
      {"snapshot \"a.svg\"", "request:1: snapshot: the page does not write files"},
      {"dock app \"Notes\"", "request:1: dock: expected 1 argument(s), got 2"},
      {"at 5 click",
       "request:1: at: expected one of pointer, modifiers, rightclick, click, "
       "grant, revoke, defaults, menu, button, check, close, mission-control, dock, "
       "login-items, screens, relaunch, inspect, snapshot, window, app, tracking, sleep, got at"},
  };
  for (const auto& [line, message] : cases) {
    auto out = s->input(line, 2 * kSecond);
    EXPECT_EQ(out.result, sim::LiveSession::Result::Refused) << line;
    EXPECT_EQ(out.error, message) << line;
  }
  EXPECT_EQ(s->input(std::string(sim::kMaxLiveLineLength + 1, 'x'), 2 * kSecond).error,
            "request:1: a command is at most 1024 characters");
  EXPECT_EQ(s->now(), kSecond);
  EXPECT_EQ(traceText(*s), trace);
  EXPECT_EQ(s->inputsRecorded(), 0u);
  EXPECT_EQ(s->input("pointer dock \"Mail\"", 2 * kSecond).result,
            sim::LiveSession::Result::Applied);
}

TEST(LiveSession, TheScenarioPlaysFirstAtItsOwnTimes) {
  auto s = session("dock app \"Mail\" running\nat 1.2345 pointer dock \"Mail\"\nrun 3\n");
  EXPECT_EQ(s->scenarioLinesLeft(), 1u);
  s->tick(2 * kSecond);
  EXPECT_EQ(s->scenarioLinesLeft(), 0u);
  EXPECT_TRUE(traceHas(*s, "1.235 input.pointer dock \"Mail\""));
  std::string text = s->scenarioText();
  EXPECT_NE(text.find("dock app \"Mail\" running\nat 1.2345 pointer dock \"Mail\"\nrun 2.000\n"),
            std::string::npos)
      << text;
}

TEST(LiveSession, WrittenDownItReplaysToTheSameTrace) {
  auto s = session(
      "dock app \"Finder\" running\n"
      "dock app \"Safari\" running\n"
      "dock folder \"Downloads\"\n"
      "defaults delay float 0.2\n"
      "at 0.3 pointer dock \"Safari\"\n");
  sim::Nanos wall = 0;
  auto at = [&](double seconds) { return wall = sim::toNanos(seconds); };
  s->tick(at(0.6));
  // Just before a tick of the agent's timer: the input still comes first.
  s->tick(at(1.4995));
  ASSERT_EQ(s->input("pointer dock \"Downloads\"", wall).time, 1500 * kMs);
  s->tick(at(2.0));
  s->input("menu \"Preferences...\"", wall);
  s->input("check \"Open stacks on hover\" on", wall);
  s->setSpeed(4, wall);
  s->tick(at(2.5));
  s->input("pointer dock \"Downloads\"", wall);
  s->input("relaunch", wall);
  s->pause(at(2.6));
  s->step(wall);
  s->step(wall);
  s->input("inspect", wall);
  s->input("button \"Nowhere\"", wall);
  s->resume(wall);
  s->tick(at(3.3));
  s->input("revoke", wall);
  s->input("screens 0 0 1280 800 ; 1280 0 1440 900", wall);
  s->tick(at(4));

  std::string text = s->scenarioText();
  EXPECT_EQ(replay(text), traceText(*s)) << text;
  EXPECT_TRUE(traceHas(*s, "1.500 input.pointer dock \"Downloads\""));
}

TEST(LiveSession, AFullSessionStopsItsClockAndRefusesInput) {
  sim::LiveLimits limits;
  limits.maxInputs = 2;
  auto s = session("", limits);
  s->tick(kSecond);
  EXPECT_EQ(s->input("click", kSecond).result, sim::LiveSession::Result::Applied);
  EXPECT_FALSE(s->full());
  EXPECT_EQ(s->input("click", kSecond).result, sim::LiveSession::Result::Applied);
  EXPECT_TRUE(s->full());
  auto out = s->input("click", kSecond);
  EXPECT_EQ(out.result, sim::LiveSession::Result::Full);
  EXPECT_EQ(out.error.rfind("request:1: the session is full (2 lines", 0), 0u) << out.error;
  auto stoppedAt = s->now();
  s->resume(10 * kSecond);
  s->tick(20 * kSecond);
  EXPECT_EQ(s->now(), stoppedAt);
  // What it holds still replays.
  EXPECT_EQ(replay(s->scenarioText()), traceText(*s));
}

}  // namespace

namespace {

// A session that ran to its time limit is still a scenario the language takes.
TEST(LiveSession, ItsTimeLimitIsTheLongestAScenarioLasts) {
  auto parses = [](sim::Nanos t) {
    std::istringstream in("run " + sim::exactSeconds(t) + "\n");
    try {
      sim::parseScenario(in, "session.scn");
      return true;
    } catch (const sim::ScenarioError&) {
      return false;
    }
  };
  sim::LiveLimits limits;
  EXPECT_TRUE(parses(limits.maxTime));
  EXPECT_FALSE(parses(limits.maxTime + kMs));
}

}  // namespace
