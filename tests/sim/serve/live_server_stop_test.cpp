// `vistrel-desktop --serve` when nobody reads its output, and when it is
// stopped in the middle of heavy work: every command is answered, truthfully
// (200 applied, 503 never applied), and SIGTERM ends it within a second.
// Hostile clients in bounded loops on 127.0.0.1; every wait has a deadline.
#include <set>

#include "tests/live_server_program.h"

namespace {

using live_test::ServeProgram;
using live_test::Socket;
using live_test::within;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Within a second, as promised; the margin is for the sanitizers' work at
// exit on a loaded machine of two cores.
constexpr auto kStopTime = 1500ms;

std::string post(int port, const std::string& token, const std::string& line) {
  return live_test::request("POST", "/command?token=" + token, port, {}, line);
}

// Standard output (and standard error, once the address is read) is a pipe
// nobody reads. A scenario writes far more trace, and more errors, than the
// pipes and the server's buffers for them hold; commands sent afterwards
// are all answered, and the stop is prompt.
TEST_F(ServeProgram, OutputNobodyReadsNeverHoldsUpTheDesktop) {
  std::string scenario;
  for (int i = 0; i < 1500; ++i)
    scenario += "at 0.5 defaults Key" + std::to_string(i % 50) + " string \"" +
                std::string(2000, 'x') + "\"\n";
  for (int i = 0; i < 4000; ++i)
    scenario += "at 0.5 menu \"" + std::string(240, 'x') + std::to_string(i) + "\"\n";
  for (auto errors : {Output::Usual, Output::Unread}) {
    SCOPED_TRACE(errors == Output::Usual ? "errors kept" : "errors unread too");
    write(at("loud.scn"), scenario);
    spawn({at("loud.scn")}, Output::Unread, errors);
    auto m = address();
    ASSERT_FALSE(m.empty());
    int port = std::stoi(m[2]);
    std::string token = m[3];
    auto state = [&] {
      auto r = live_test::exchange(port, live_test::request("GET", "/state?token=" + token, port));
      return r ? r->body : "";
    };
    auto deadline = within(30'000ms);  // the scenario's lines, under the sanitizers
    while (state().find("\"scenarioLinesLeft\":0") == std::string::npos && Clock::now() < deadline)
      std::this_thread::sleep_for(50ms);  // between polls only
    int answered = 0;
    for (int i = 0; i < 300; ++i) {
      auto line = i % 2 ? "menu \"Nothing" + std::to_string(i) + "\""
                        : "defaults Key" + std::to_string(i) + " int " + std::to_string(i);
      auto r = live_test::exchange(port, post(port, token, line));
      answered += r && r->status == 200;
    }
    EXPECT_EQ(answered, 300);
    EXPECT_EQ(state().find("\"outputDropped\":0"), std::string::npos) << state();
    auto signalled = Clock::now();
    ASSERT_EQ(::kill(pid_, SIGTERM), 0);
    EXPECT_EQ(exitBy(signalled + kStopTime), 0);
    if (errors == Output::Usual) {
      EXPECT_NE(read(at("err")).find("standard output is not being read"), std::string::npos);
    }
    TearDown();
    SetUp();
  }
}

// 120 clients ask at once for a login item each, with a large file to
// save; the stop comes while they wait. Each gets an answer that tells the
// truth: 200 and in the saved file, or 503 or 429 and not in it.
TEST_F(ServeProgram, AStopAnswersEveryCommandTruthfully) {
  std::string items;
  for (int i = 0; i < 500; ++i)
    items +=
        "\"file:///Applications/Big" + std::to_string(i) + std::string(2000, 'x') + ".app/\"\n";
  write(at("items"), items);
  spawn({"--login-items", at("items")});
  auto m = address();
  ASSERT_FALSE(m.empty());
  int port = std::stoi(m[2]);
  std::string token = m[3];
  std::vector<std::unique_ptr<Socket>> clients;
  for (int i = 0; i < 120; ++i) {
    clients.push_back(std::make_unique<Socket>(port));
    clients.back()->send(post(
        port, token, "login-items add \"file:///Applications/New" + std::to_string(i) + ".app/\""));
  }
  // Once one of them is answered, the rest are under way or waiting. Which
  // one the server takes first is its own business.
  auto oneAnswered = [&] {
    const auto until = within(3 * live_test::kWait);
    while (Clock::now() < until)
      for (auto& client : clients)
        if (client->readUntil("\r\n\r\n", within(2ms))) return true;
    return false;
  };
  ASSERT_TRUE(oneAnswered());
  auto signalled = Clock::now();
  ASSERT_EQ(::kill(pid_, SIGTERM), 0);
  EXPECT_EQ(exitBy(signalled + kStopTime), 0) << read(at("err"));
  std::string saved = read(at("items"));
  int applied = 0;
  for (int i = 0; i < 120; ++i) {
    SCOPED_TRACE(i);
    auto r = clients[i]->reply(within(1000ms));
    ASSERT_TRUE(r) << "no answer";
    bool inFile = saved.find("\"file:///Applications/New" + std::to_string(i) + ".app/\"") !=
                  std::string::npos;
    EXPECT_TRUE(r->status == 200 || r->status == 503 || r->status == 429) << r->status;
    EXPECT_EQ(inFile, r->status == 200) << r->status << " " << r->body;
    applied += r->status == 200;
  }
  EXPECT_GT(applied, 0);
}

// A scenario whose 20,000 lines fall due at one time: the stop comes in the
// middle of that one long step and ends it.
TEST_F(ServeProgram, AStopEndsALongStepBetweenTwoInputs) {
  std::string scenario;
  for (int i = 0; i < 20000; ++i)
    scenario +=
        "at 0.001 defaults Key" + std::to_string(i % 100) + " int " + std::to_string(i) + "\n";
  write(at("many.scn"), scenario);
  spawn({at("many.scn")});
  auto m = address();
  ASSERT_FALSE(m.empty());
  // The step begins within a frame of the address and lasts far longer
  // than a second: the signal lands in it.
  auto signalled = Clock::now();
  ASSERT_EQ(::kill(pid_, SIGTERM), 0);
  EXPECT_EQ(exitBy(signalled + kStopTime), 0) << read(at("err"));
}

}  // namespace
