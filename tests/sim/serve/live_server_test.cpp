// The live page's server: its routes, its token and its refusals, against a
// server on 127.0.0.1 on a free port. Every wait has a deadline.
#include "tests/live_server_fixture.h"

namespace {

using live_test::exchange;
using live_test::Headers;
using live_test::LiveServerTest;
using live_test::Reply;
using live_test::request;
using live_test::ServeLimits;

TEST_F(LiveServerTest, ACommandIsAppliedAndAnsweredWithItsTimeAndLine) {
  start();
  auto res = post("/command", "pointer dock \"Safari\"");
  ASSERT_EQ(res.status, 200) << res.body;
  auto reply = nlohmann::json::parse(res.body);
  std::string time = reply["time"];
  EXPECT_EQ(reply["line"], "at " + time + " pointer dock \"Safari\"");
  auto trace = get("/trace");
  EXPECT_NE(trace.body.find(time + " input.pointer dock \"Safari\"\n"), std::string::npos);
  auto session = get("/session.scn");
  EXPECT_EQ(session.status, 200);
  EXPECT_NE(session.body.find("\nat " + time + " pointer dock \"Safari\"\n"), std::string::npos);
  EXPECT_EQ(session.header("content-disposition"), "attachment; filename=\"session.scn\"");
  auto picture = get("/snapshot.svg");
  EXPECT_NE(picture.body.find("id=\"dock\""), std::string::npos);
}

TEST_F(LiveServerTest, AMalformedCommandIs400WithItsMessageAndChangesNothing) {
  start();
  auto before = get("/session.scn");
  auto res = post("/command", "foo");
  EXPECT_EQ(res.status, 400);
  EXPECT_EQ(res.body.rfind("request:1: foo: expected one of pointer, ", 0), 0u) << res.body;
  res = post("/command", "check \"Launch at login\" maybe");
  EXPECT_EQ(res.status, 400);
  EXPECT_EQ(res.body, "request:1: check: expected one of on, off, got maybe\n");
  auto after = get("/session.scn");
  // Only the clock has moved: the same lines, a later `run`.
  auto withoutRun = [](const std::string& s) { return s.substr(0, s.rfind("run ")); };
  EXPECT_EQ(withoutRun(after.body), withoutRun(before.body));
}

TEST_F(LiveServerTest, TheClockTakesPauseResumeStepAndSpeed) {
  start();
  auto res = post("/clock", "pause");
  ASSERT_EQ(res.status, 200);
  EXPECT_EQ(nlohmann::json::parse(res.body)["paused"], true);
  res = post("/clock", "speed 1000");
  EXPECT_EQ(res.status, 400);
  EXPECT_EQ(res.body, "request:1: speed: the speed is between 0.1 and 100\n");
  res = post("/clock", "rewind");
  EXPECT_EQ(res.status, 400);
  EXPECT_EQ(res.body, "request:1: expected pause, resume, step or speed FACTOR\n");
  res = post("/clock", "speed 2");
  ASSERT_EQ(res.status, 200);
  EXPECT_EQ(nlohmann::json::parse(res.body)["speed"], 2.0);
}

// The page and its files are served without the token and hold none;
// everything else needs it, as a query parameter or a bearer token,
// whatever else the request carries.
TEST_F(LiveServerTest, ThePageHoldsNoTokenEverythingElseNeedsIt) {
  start();
  const std::string token = server_->token();
  ASSERT_EQ(token.size(), 64u);
  std::string wrong = token;
  wrong.back() = wrong.back() == '0' ? '1' : '0';
  std::string origin = "http://" + own();
  struct Case {
    std::string method, target;
    Headers headers;
    int status;
  } cases[] = {
      {"GET", "/", {}, 200},
      {"GET", "/index.html", {}, 200},
      {"GET", "/app.js", {}, 200},
      {"GET", "/style.css", {}, 200},
      {"GET", "/?token=" + wrong, {}, 200},
      {"POST", "/", {}, 403},
      {"POST", "/app.js", {}, 403},
      {"GET", "/nothing-here", {}, 403},
      {"GET", "/nothing-here?token=" + token, {}, 404},
      {"GET", "/state", {}, 403},
      {"GET", "/state", {{"Origin", origin}, {"Referer", origin + "/"}}, 403},
      {"GET", "/state?token=" + token, {}, 200},
      {"GET", "/state?a=1&token=" + token + "&b=2", {}, 200},
      {"GET", "/state", {{"Authorization", "Bearer " + token}}, 200},
      {"GET", "/state", {{"Authorization", "bearer " + token}}, 200},
      {"GET", "/state?token=" + wrong, {}, 403},
      {"GET", "/state?token=" + token.substr(0, 63), {}, 403},
      {"GET", "/state?token=" + token + "0", {}, 403},
      {"GET", "/state?token=", {}, 403},
      {"GET", "/state", {{"Authorization", "Bearer " + wrong}}, 403},
      {"GET", "/state", {{"Authorization", "Basic " + token}}, 403},
      {"GET", "/state", {{"Cookie", "token=" + token}}, 403},
      {"GET", "/trace", {}, 403},
      {"GET", "/session.scn", {}, 403},
      {"GET", "/snapshot.svg", {}, 403},
      {"GET", "/events", {}, 403},
      {"GET", "/events?token=" + wrong, {}, 403},
      {"GET", "/app.js?token=" + token, {}, 200},
      {"POST", "/command", {{"Origin", origin}}, 403},
      {"POST", "/clock", {{"Origin", origin}}, 403},
      // The Host and Origin checks hold with the token too.
      {"GET", "/state?token=" + token, {{"Origin", "http://evil.example"}}, 403},
  };
  for (const auto& c : cases) {
    auto raw = request(c.method, c.target, port(), c.headers, c.method == "POST" ? "click" : "");
    auto res = exchange(port(), raw);
    ASSERT_TRUE(res) << c.method << " " << c.target;
    EXPECT_EQ(res->status, c.status) << c.method << " " << c.target << ": " << res->body;
    // No answer without the token gives it away, in its body or its headers.
    EXPECT_EQ(res->body.find(token), std::string::npos) << c.method << " " << c.target;
    for (const auto& [name, value] : res->headers)
      EXPECT_EQ(value.find(token), std::string::npos) << name;
  }
  // Nothing refused was applied.
  EXPECT_EQ(get("/session.scn").body.find("click"), std::string::npos);
  EXPECT_EQ(server_->url(), "http://127.0.0.1:" + std::to_string(port()) + "/?token=" + token);
}

TEST_F(LiveServerTest, AForeignHostOrOriginIsRefused) {
  start();
  struct Case {
    Headers headers;
    int status;
  } cases[] = {
      {{{"Origin", "http://evil.example"}}, 403},
      {{{"Origin", "http://127.0.0.1:1"}}, 403},
      {{{"Origin", "null"}}, 403},
      {{{"Origin", "http://" + own()}}, 200},
  };
  for (auto& c : cases) EXPECT_EQ(post("/command", "click", c.headers).status, c.status);
  auto raw = "GET /state HTTP/1.1\r\nHost: evil.example:80\r\nAuthorization: Bearer " +
             server_->token() + "\r\n\r\n";
  EXPECT_EQ(exchange(port(), raw).value_or(Reply{}).status, 403);
  // Nothing of the refused ones was applied.
  auto session = get("/session.scn").body;
  EXPECT_NE(session.find("click"), std::string::npos);
  EXPECT_EQ(session.find("click"), session.rfind("click"));
}

// Token holders spend the main budget; page loads without the token spend
// a small one of their own; other requests without it spend nothing.
TEST_F(LiveServerTest, RequestsOverTheRateAre429AndOnlyTokenHoldersSpendTheMainBudget) {
  ServeLimits limits;
  limits.requestsPerSecond = 0.001;
  limits.burst = 3;
  limits.pageRequestsPerSecond = 0.001;
  limits.pageBurst = 2;
  start(limits);
  auto tokenless = [&](const std::string& target) {
    return exchange(port(), request("GET", target, port())).value_or(Reply{}).status;
  };
  struct Case {
    std::string target;
    int tries, ok, refused;
  } cases[] = {
      {"/state?token=x", 10, 0, 0},
      {"/", 200, 2, 198},
      {"/app.js", 5, 0, 5},
      {"/state?token=" + server_->token(), 5, 3, 2},
      // Both budgets are spent: the page's and the main one.
      {"/?token=" + server_->token(), 2, 0, 2},
  };
  for (const auto& c : cases) {
    int ok = 0, refused = 0;
    for (int i = 0; i < c.tries; ++i) {
      int status = tokenless(c.target);
      ok += status == 200;
      refused += status == 429;
    }
    EXPECT_EQ(ok, c.ok) << c.target;
    EXPECT_EQ(refused, c.refused) << c.target;
  }
}

// Streams held open (a page left behind, a client that hoards them) give
// way to the page that asks now: a new stream over the limit closes the
// oldest, and only that one.
TEST_F(LiveServerTest, ANewStreamOverTheLimitClosesTheOldest) {
  start();
  const std::size_t limit = ServeLimits{}.maxStreams;
  std::vector<std::unique_ptr<live_test::Socket>> streams;
  auto open = [&] {
    streams.push_back(std::make_unique<live_test::Socket>(port()));
    streams.back()->send(request("GET", "/events?token=" + server_->token(), port()));
    return streams.back()->readUntil("data: {", live_test::within(live_test::kWait));
  };
  for (std::size_t i = 0; i < limit; ++i) ASSERT_TRUE(open()) << i;
  EXPECT_NE(streams[0]->received.find("Content-Type: text/event-stream"), std::string::npos);
  for (std::size_t evicted = 0; evicted < 2; ++evicted) {
    SCOPED_TRACE(evicted);
    ASSERT_TRUE(open());
    EXPECT_TRUE(streams[evicted]->closedBy(live_test::within(live_test::kWait)));
    // The others go on: what happens on the desktop reaches each of them.
    ASSERT_EQ(post("/command", "click").status, 200);
    for (std::size_t i = evicted + 1; i < streams.size(); ++i)
      EXPECT_TRUE(streams[i]->readUntil("input.click", live_test::within(live_test::kWait))) << i;
    for (auto& s : streams) s->received.clear();
  }
}

TEST(RequestGuard, OnlyTheServersOwnNameAndOrigin) {
  using namespace sim::serve;
  EXPECT_TRUE(hostAllowed("127.0.0.1:8377", 8377));
  EXPECT_TRUE(hostAllowed("LocalHost:8377", 8377));
  EXPECT_FALSE(hostAllowed("127.0.0.1:8378", 8377));
  EXPECT_FALSE(hostAllowed("127.0.0.1", 8377));
  EXPECT_FALSE(hostAllowed("evil.example:8377", 8377));
  EXPECT_FALSE(hostAllowed("", 8377));
  EXPECT_TRUE(originAllowed(false, "", 8377));
  EXPECT_TRUE(originAllowed(true, "http://localhost:8377", 8377));
  EXPECT_FALSE(originAllowed(true, "https://127.0.0.1:8377", 8377));
  EXPECT_FALSE(originAllowed(true, "null", 8377));
  EXPECT_FALSE(originAllowed(true, "", 8377));
  EXPECT_TRUE(isLoopbackAddress("127.0.0.1"));
  EXPECT_TRUE(isLoopbackAddress("127.8.9.10"));
  EXPECT_FALSE(isLoopbackAddress("10.0.0.1"));
  EXPECT_FALSE(isLoopbackAddress("1127.0.0.1"));
}

TEST(RequestGuard, SecretsCompareWhole) {
  using sim::serve::sameSecret;
  EXPECT_TRUE(sameSecret("abc", "abc"));
  EXPECT_FALSE(sameSecret("abd", "abc"));
  EXPECT_FALSE(sameSecret("ab", "abc"));
  EXPECT_FALSE(sameSecret("abcd", "abc"));
  EXPECT_FALSE(sameSecret("", "abc"));
  EXPECT_FALSE(sameSecret(std::string_view("abc\0", 4), "abc"));
  auto a = sim::serve::makeAccessToken(), b = sim::serve::makeAccessToken();
  EXPECT_EQ(a.size(), 64u);
  EXPECT_EQ(a.find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_NE(a, b);
}

TEST(RateLimiter, ABurstThenTheSteadyRate) {
  sim::serve::RateLimiter limiter(2, 3);  // 2 a second, 3 at once
  const std::int64_t s = 1'000'000'000;
  EXPECT_TRUE(limiter.allow(0));
  EXPECT_TRUE(limiter.allow(0));
  EXPECT_TRUE(limiter.allow(0));
  EXPECT_FALSE(limiter.allow(0));
  EXPECT_FALSE(limiter.allow(s / 2 - 1));
  EXPECT_TRUE(limiter.allow(s / 2));
  EXPECT_FALSE(limiter.allow(s / 2));
  // Idle time refills no more than the burst.
  EXPECT_TRUE(limiter.allow(100 * s));
  EXPECT_TRUE(limiter.allow(100 * s));
  EXPECT_TRUE(limiter.allow(100 * s));
  EXPECT_FALSE(limiter.allow(100 * s));
}

}  // namespace
