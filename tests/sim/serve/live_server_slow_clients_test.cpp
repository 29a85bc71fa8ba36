// Clients that never read their large answers cannot lock a page out: the
// trace and the session in flight are bounded, an answer not taken in time
// closes its connection, and when the connections run out the stalest one
// makes room. Against a server on 127.0.0.1 with a full trace; every wait
// has a deadline.
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

constexpr int kSlowReaders = 40;
constexpr int kSmallReceiveBuffer = 4096;
// Far more than a socket holds, and quick to fill under the sanitizers.
constexpr std::size_t kTraceBytes = 2u << 20;

TEST_F(LiveServerTest, ClientsThatNeverReadTheTraceDoNotLockOthersOut) {
  struct Case {
    const char* what;
    std::size_t connections, largeAnswers;
    int mostWritten;  // of the slow readers, how many may see their answer begin
    bool askToClose = false;
  } cases[] = {
      // The rest are 429 at once; the trace is served again once the
      // stalled writes time out. The whole trace fits in a socket's queue:
      // an answer counts until its client has taken it, not the socket.
      {"the large answers in flight are bounded", 16, 8, 8},
      {"an answer that ends its connection counts until taken", 16, 8, 8, true},
      // Every slot is a stalled writer: a new client makes room for itself.
      {"the stalest connection makes room", 8, 8, kSlowReaders},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    ServeLimits limits;
    limits.http.maxConnections = c.connections;
    limits.maxLargeAnswers = c.largeAnswers;
    limits.burst = 1000;
    sim::LiveLimits session;
    session.maxTraceBytes = kTraceBytes;
    start(limits, filling(kTraceBytes / 2000), session);
    auto state = stateWhen([](const nlohmann::json& s) { return s["full"] == true; });
    ASSERT_EQ(state["fullBecause"], "trace");

    std::vector<std::unique_ptr<Socket>> slow;
    for (int i = 0; i < kSlowReaders; ++i) {
      slow.push_back(std::make_unique<Socket>(port(), kSmallReceiveBuffer));
      live_test::Headers headers{bearer()};
      if (c.askToClose) headers.emplace_back("Connection", "close");
      slow.back()->send(request("GET", "/trace", port(), headers));
    }
    // A page's request is answered at once, well before any slow write
    // times out.
    auto asked = Clock::now();
    EXPECT_EQ(get("/state").status, 200);
    EXPECT_LT(Clock::now() - asked, 1500ms);
    // The trace itself, read whole, once the slow ones lost their places.
    std::size_t whole = 0;
    auto deadline = within(live_test::kWait);
    for (int i = 0; i < 100 && whole == 0 && Clock::now() < deadline; ++i) {
      auto res = get("/trace");
      if (res.status == 200) whole = res.body.size();
      if (res.status != 200) std::this_thread::sleep_for(50ms);  // between tries only
    }
    EXPECT_GT(whole, kTraceBytes - 8192);
    int written = 0;
    for (auto& s : slow) {
      s->readUntil("\r\n", within(1000ms));
      written += s->received.rfind("HTTP/1.1 200", 0) == 0;
    }
    EXPECT_LE(written, c.mostWritten);
  }
}

}  // namespace
