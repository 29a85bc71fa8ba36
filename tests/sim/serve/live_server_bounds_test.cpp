// What a client sends is bounded, whatever its transfer encoding: the body
// (413), the header lines (431), the time a whole request takes (the
// connection closes); ranges are not served; clients that send slowly
// cannot keep the server from one that behaves. And what the server hands
// out of the trace is shared, not copied. Against a server on 127.0.0.1.
#include <future>
#include <thread>

#include "sim/serve/shared_text.h"
#include "tests/live_server_fixture.h"

namespace {

using live_test::LiveServerTest;
using live_test::request;
using live_test::ServeLimits;
using live_test::Socket;
using live_test::within;
using namespace std::chrono_literals;

std::string chunked(std::size_t chunks, std::size_t size) {
  std::string body;
  char head[32];
  std::snprintf(head, sizeof head, "%zx\r\n", size);
  for (std::size_t i = 0; i < chunks; ++i) body += head + std::string(size, 'a') + "\r\n";
  return body;
}

TEST_F(LiveServerTest, OversizedRequestsAreRefusedAndTheConnectionCloses) {
  start();
  std::string host = "Host: " + own() + "\r\nAuthorization: Bearer " + server_->token() + "\r\n";
  std::string manyLines;
  for (int i = 0; i < 65; ++i) manyLines += "X-Line-" + std::to_string(i) + ": 1\r\n";
  struct Case {
    const char* what;
    std::string raw;
    int status;
  } cases[] = {
      {"a declared body over the limit",
       "POST /command HTTP/1.1\r\n" + host + "Content-Length: 1000000000\r\n\r\n", 413},
      {"a chunked body over the limit",
       "POST /command HTTP/1.1\r\n" + host + "Transfer-Encoding: chunked\r\n\r\n" +
           chunked(5, 1000),
       413},
      {"one chunk over the limit",
       "POST /command HTTP/1.1\r\n" + host + "Transfer-Encoding: chunked\r\n\r\n100000\r\n", 413},
      {"too many header lines", "GET /state HTTP/1.1\r\n" + host + manyLines + "\r\n", 431},
      {"a header line too long",
       "GET /state HTTP/1.1\r\n" + host + "X-Long: " + std::string(9000, 'a') + "\r\n\r\n", 431},
      {"a request line too long", "GET /state?" + std::string(9000, 'a') + " HTTP/1.1\r\n" + host,
       431},
      {"a malformed request line", "GET\r\n\r\n", 400},
  };
  for (const auto& c : cases) {
    Socket s(port());
    s.send(c.raw);
    auto reply = s.reply(within(live_test::kWait));
    ASSERT_TRUE(reply) << c.what;
    EXPECT_EQ(reply->status, c.status) << c.what;
    EXPECT_EQ(reply->header("connection"), "close") << c.what;
    EXPECT_TRUE(s.closedBy(within(live_test::kWait))) << c.what;
  }
  // A chunked body within the limit is a body like any other.
  auto raw = "POST /command HTTP/1.1\r\n" + host +
             "Transfer-Encoding: chunked\r\n\r\n5\r\nclick\r\n0\r\n\r\n";
  EXPECT_EQ(live_test::exchange(port(), raw).value_or(live_test::Reply{}).status, 200);
  EXPECT_EQ(get("/session.scn").body.find("aaaa"), std::string::npos);
}

// The whole request has a time limit, not each read: a client that keeps
// sending a byte at a time is cut off all the same.
TEST_F(LiveServerTest, ARequestTooSlowToArriveIsCutOff) {
  ServeLimits limits;
  limits.http.requestTime = 300ms;
  start(limits);
  Socket idle(port());
  ASSERT_TRUE(idle.send("GET /state HTTP/1.1\r\n"));
  EXPECT_TRUE(idle.closedBy(within(live_test::kWait)));
  EXPECT_EQ(idle.received, "");

  Socket drip(port());
  std::string raw = "GET /state HTTP/1.1\r\nX-Slow: " + std::string(200, 'a');
  bool closed = false;
  for (std::size_t i = 0; i < raw.size() && !closed; ++i) {
    drip.send(raw.substr(i, 1));
    closed = drip.closedBy(within(25ms));  // paces the client; ends early if cut off
  }
  EXPECT_TRUE(closed);
  // A kept-alive connection that sends nothing more is closed too.
  Socket kept(port());
  kept.send(request("GET", "/state?token=" + server_->token(), port()));
  auto first = kept.reply(within(live_test::kWait));
  ASSERT_TRUE(first);
  EXPECT_EQ(first->status, 200);
  EXPECT_TRUE(kept.closedBy(within(live_test::kWait)));
}

TEST_F(LiveServerTest, RangesAreNotServedEveryAnswerIsWhole) {
  start();
  ASSERT_EQ(post("/clock", "pause").status, 200);
  auto whole = get("/trace");
  ASSERT_EQ(whole.status, 200);
  std::string ranges = "bytes=0-0";
  for (int i = 1; i < 500; ++i) ranges += "," + std::to_string(i) + "-" + std::to_string(i);
  for (const auto& range : {std::string("bytes=0-0"), ranges}) {
    auto res = get("/trace", {{"Range", range}});
    EXPECT_EQ(res.status, 200);
    EXPECT_EQ(res.header("content-range"), "");
    EXPECT_EQ(res.body, whole.body);
  }
}

TEST_F(LiveServerTest, SlowClientsDoNotKeepTheServerFromOneThatBehaves) {
  ServeLimits limits;
  limits.http.maxConnections = 8;
  start(limits);
  std::vector<std::unique_ptr<Socket>> slow;
  for (int i = 0; i < 40; ++i) {
    slow.push_back(std::make_unique<Socket>(port()));
    slow.back()->send("GET /state HTTP/1.1\r\nHost: " + own() + "\r\n");
    // Each well-behaved request, made among them, is answered.
    if (i % 10 == 9) {
      EXPECT_EQ(get("/state").status, 200) << "after " << i + 1 << " slow clients";
    }
  }
  // The oldest slow ones made room: most of them were closed.
  int closed = 0;
  for (auto& s : slow) closed += s->closedBy(within(20ms));
  EXPECT_GE(closed, 40 - 8);
}

TEST_F(LiveServerTest, TheTraceAndTheSessionAreServedAsTheyArePublished) {
  start();
  for (int i = 0; i < 20; ++i) ASSERT_EQ(post("/command", "pointer dock \"Safari\"").status, 200);
  ASSERT_EQ(post("/clock", "pause").status, 200);
  auto [trace, session] = [&] {
    std::promise<std::pair<std::string, std::string>> texts;
    auto done = texts.get_future();
    loop_->submit(
        [&texts](sim::LiveSession& s, sim::Nanos) {
          std::string trace;
          for (const auto& line : s.traceLines()) trace += line + "\n";
          texts.set_value({trace, s.scenarioText()});
          return sim::serve::Reply{};
        },
        {});
    EXPECT_EQ(done.wait_for(live_test::kWait), std::future_status::ready);
    return done.get();
  }();
  EXPECT_EQ(get("/trace").body, trace);
  EXPECT_EQ(get("/session.scn").body, session);
  EXPECT_EQ(live_test::replay(session), trace);
}

// Lines of every length, a block's worth and more: the text handed out is
// the lines written, and two readers share its closed blocks.
TEST(SharedText, HandsOutSharedBlocksAndFindsEveryLine) {
  sim::serve::SharedText text;
  const std::size_t block = sim::serve::SharedText::kBlockBytes;
  std::vector<std::string> lines;
  std::string whole;
  for (std::size_t n : {0ul, 1ul, 100ul, block - 1, block, block + 5, 3ul, block / 2, block / 2}) {
    lines.push_back(std::string(n, static_cast<char>('a' + lines.size())));
    text.appendLine(lines.back());
    whole += lines.back() + "\n";
  }
  EXPECT_EQ(text.lineCount(), lines.size());
  EXPECT_EQ(text.bytes(), whole.size());
  auto one = text.parts(), two = text.parts();
  std::string joined;
  for (const auto& p : one) joined += *p;
  EXPECT_EQ(joined, whole);
  ASSERT_EQ(one.size(), two.size());
  ASSERT_GT(one.size(), 2u);
  for (std::size_t i = 0; i + 1 < one.size(); ++i) EXPECT_EQ(one[i].get(), two[i].get());
  EXPECT_EQ(text.lines(0, lines.size()), lines);
  EXPECT_EQ(text.lines(4, 2), std::vector<std::string>(lines.begin() + 4, lines.begin() + 6));
  EXPECT_TRUE(text.lines(lines.size(), 5).empty());
  EXPECT_TRUE(text.lines(lines.size() + 5, 5).empty());
}

}  // namespace
