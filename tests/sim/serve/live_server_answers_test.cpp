// The server's answers tell the truth, and what the page records replays:
// a command answered as not applied never is; the clock's words are checked
// as a scenario's; the clock stops at the time limit and says so; the
// session's input cap holds for a scenario's lines too; a downloaded
// session replays to the trace served. Against a server on 127.0.0.1.
#include <future>

#include "tests/live_server_fixture.h"

namespace {

using live_test::LiveServerTest;
using live_test::ServeLimits;
using namespace std::chrono_literals;

TEST_F(LiveServerTest, ACommandAnsweredAsNotAppliedIsNeverApplied) {
  ServeLimits limits;
  limits.answerTimeout = 200ms;
  start(limits);
  // The desktop is kept busy (for a few seconds at most) while the command waits.
  std::promise<void> release;
  auto released = release.get_future().share();
  std::promise<void> busy;
  ASSERT_TRUE(loop_->submit(
      [released, &busy](sim::LiveSession&, sim::Nanos) {
        busy.set_value();
        released.wait_for(live_test::kWait);
        return sim::serve::Reply{};
      },
      {}));
  ASSERT_EQ(busy.get_future().wait_for(live_test::kWait), std::future_status::ready);
  auto res = post("/command", "click");
  release.set_value();
  EXPECT_EQ(res.status, 503);
  EXPECT_EQ(res.body, "the desktop did not answer; the request was not applied\n");
  // Once the desktop is free again, the command still is not there.
  ASSERT_EQ(post("/clock", "pause").status, 200);
  EXPECT_EQ(get("/session.scn").body.find("click"), std::string::npos);
  EXPECT_EQ(get("/trace").body.find("input.click"), std::string::npos);
}

TEST_F(LiveServerTest, EveryWordOfTheClockIsCheckedAsAScenariosIs) {
  start();
  using namespace std::string_literals;
  struct Case {
    std::string line, error;
  } cases[] = {
      {"speed 1\0garbage"s, "request:1: a control character (0x00) at column 8\n"},
      {"speed 2\x7f"s, "request:1: a control character (0x7F) at column 8\n"},
      {"pause\x01"s, "request:1: a control character (0x01) at column 6\n"},
      {"speed 1 garbage", "request:1: expected pause, resume, step or speed FACTOR\n"},
      {"speed 1x", "request:1: speed: not a number: 1x\n"},
      {"speed nan", "request:1: speed: not a number: nan\n"},
      {"speed \"2\"", "request:1: expected pause, resume, step or speed FACTOR\n"},
      {"pause now", "request:1: expected pause, resume, step or speed FACTOR\n"},
      {"\"pause\"", "request:1: expected pause, resume, step or speed FACTOR\n"},
      {"pause\nresume", "request:1: one command a line\n"},
  };
  for (const auto& c : cases) {
    auto res = post("/clock", c.line);
    EXPECT_EQ(res.status, 400) << c.line;
    EXPECT_EQ(res.body, c.error) << c.line;
  }
  auto state = nlohmann::json::parse(get("/state").body);
  EXPECT_EQ(state["speed"], 1.0);
  EXPECT_EQ(state["paused"], false);
}

// The wall clock jumps past the limit: the clock stops there, the state
// says why, commands are refused, and the session replays.
TEST_F(LiveServerTest, TheClockStopsAtTheTimeLimitAndTheSessionReplays) {
  sim::LiveLimits session;
  session.maxTime = 3'000'000'000;
  start({}, "", session);
  ASSERT_EQ(post("/command", "pointer dock \"Safari\"").status, 200);
  wallJump_ = 3'600'000'000'000;
  auto state = live_test::LiveServerTest::stateWhen(
      [](const nlohmann::json& s) { return s.value("full", false); });
  EXPECT_EQ(state["fullBecause"], "time");
  EXPECT_EQ(state["time"], "3.000");
  auto res = post("/command", "click");
  EXPECT_EQ(res.status, 409);
  EXPECT_EQ(res.body,
            "request:1: the clock stopped at 3.000 s, the longest a scenario lasts; "
            "download the session\n");
  EXPECT_EQ(post("/clock", "resume").status, 200);
  auto text = get("/session.scn").body;
  EXPECT_NE(text.find("\nrun 3.000\n"), std::string::npos);
  EXPECT_EQ(live_test::replay(text), get("/trace").body);
}

TEST_F(LiveServerTest, TheInputCapHoldsForTheScenariosLinesToo) {
  sim::LiveLimits session;
  session.maxInputs = 3;
  std::string scenario;
  for (int i = 0; i < 5; ++i) scenario += "at 0.001 pointer 10 " + std::to_string(10 + i) + "\n";
  scenario += "at 0.002 click\n";
  start({}, scenario, session);
  auto state = stateWhen([](const nlohmann::json& s) { return s.value("full", false); });
  EXPECT_EQ(state["fullBecause"], "inputs");
  EXPECT_EQ(state["inputs"], 3);
  EXPECT_EQ(post("/command", "click").status, 409);
  auto text = get("/session.scn").body;
  EXPECT_EQ(text.find("at 0.001 pointer 10 13"), std::string::npos);
  EXPECT_EQ(text.find("click"), std::string::npos);
  EXPECT_EQ(live_test::replay(text), get("/trace").body);
}

}  // namespace
