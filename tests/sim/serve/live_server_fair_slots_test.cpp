// An answer taken at a fair pace keeps its connection: a reader of a large
// trace at about 500 KB/s, in bursts with a pause longer than a piece's
// time, is never cut, and a flood of connections that send nothing, filling
// every slot again and again, takes their room from each other, never from
// it. Hostile clients in bounded loops on 127.0.0.1; every wait has a
// deadline.
#include <thread>

#include "tests/live_server_fixture.h"

namespace {

using live_test::filling;
using live_test::LiveServerTest;
using live_test::request;
using live_test::ServeLimits;
using live_test::Socket;
using live_test::within;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kTraceBytes = 2u << 20;

TEST_F(LiveServerTest, AFairReaderIsNeverCutNorEvictedByIdleConnections) {
  ServeLimits limits;
  limits.http.maxConnections = 8;
  sim::LiveLimits session;
  session.maxTraceBytes = kTraceBytes;
  start(limits, filling(kTraceBytes / 2000), session);
  stateWhen([](const nlohmann::json& s) { return s["full"] == true; });
  std::size_t whole = get("/trace").body.size();
  ASSERT_GT(whole, kTraceBytes - 8192);

  // A small receive buffer: what the reader has not read, the server has
  // not written.
  Socket reader(port(), 64 * 1024);
  ASSERT_TRUE(reader.send(request("GET", "/trace", port(), {bearer()})));
  std::vector<std::unique_ptr<Socket>> idle;
  auto next = Clock::now();
  bool paused = false;
  for (int tick = 1; tick <= 200 && reader.received.size() < whole; ++tick) {
    // 500 KB a second, 125 KB each quarter second, with one pause of
    // 2.5 s once a third is read.
    next += 250ms;
    if (!paused && reader.received.size() > whole / 3) {
      paused = true;
      next += 2500ms;
    }
    reader.readUpTo(static_cast<std::size_t>(tick) * 125'000, next);
    // The slots fill with connections that send nothing, again and again.
    for (int i = 0; i < 2 && idle.size() < 60; ++i)
      idle.push_back(std::make_unique<Socket>(port()));
    std::this_thread::sleep_until(next);  // the reader's pace
  }
  EXPECT_GE(reader.received.size(), whole) << "cut after " << reader.received.size();
  // The newest of the flood still hold slots; the oldest lost theirs.
  int closed = 0;
  for (auto& s : idle) closed += s->closedBy(within(10ms));
  EXPECT_GT(closed, 0);
}

}  // namespace
