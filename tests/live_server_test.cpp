// The live page's server: its command checking and its refusals, with
// httplib's client against a server on 127.0.0.1 on a free port. Every
// client call has short time limits; nothing waits without bound.
#include "sim/serve/live_server.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "app/entry.h"

namespace {

using sim::serve::LiveLoop;
using sim::serve::LiveServer;
using sim::serve::ServeLimits;

class LiveServerTest : public testing::Test {
 protected:
  void start(ServeLimits limits = {}) {
    loop_ = std::make_unique<LiveLoop>(
        [](sim::Nanos wallNow) {
          return std::make_unique<sim::LiveSession>(
              sim::LiveSetup::fromText("", "live.scn"),
              sim::DesktopOptions{agentMain, VISTREL_RESOURCE_DIR, {}, {}}, wallNow);
        },
        nullptr);
    server_ =
        std::make_unique<LiveServer>(*loop_, std::string(VISTREL_RESOURCE_DIR) + "/web", limits);
    ASSERT_TRUE(server_->bind(0));
    loop_->start();
    thread_ = std::thread([this] { server_->listen(); });
  }
  void TearDown() override {
    if (server_) server_->stop();
    if (thread_.joinable()) thread_.join();
    if (loop_) loop_->stop();
  }

  std::unique_ptr<httplib::Client> client() {
    auto c = std::make_unique<httplib::Client>("127.0.0.1", server_->port());
    c->set_connection_timeout(5);
    c->set_read_timeout(5);
    c->set_write_timeout(5);
    return c;
  }
  std::string own() const { return "127.0.0.1:" + std::to_string(server_->port()); }

  std::unique_ptr<LiveLoop> loop_;
  std::unique_ptr<LiveServer> server_;
  std::thread thread_;
};

TEST_F(LiveServerTest, ACommandIsAppliedAndAnsweredWithItsTimeAndLine) {
  start();
  auto res = client()->Post("/command", "pointer dock \"Safari\"", "text/plain");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  auto reply = nlohmann::json::parse(res->body);
  std::string time = reply["time"];
  EXPECT_EQ(reply["line"], "at " + time + " pointer dock \"Safari\"");
  auto trace = client()->Get("/trace");
  ASSERT_TRUE(trace);
  EXPECT_NE(trace->body.find(time + " input.pointer dock \"Safari\"\n"), std::string::npos);
  auto session = client()->Get("/session.scn");
  ASSERT_TRUE(session);
  EXPECT_EQ(session->status, 200);
  EXPECT_NE(session->body.find("\nat " + time + " pointer dock \"Safari\"\n"), std::string::npos);
  EXPECT_EQ(session->get_header_value("Content-Disposition"),
            "attachment; filename=\"session.scn\"");
  auto page = client()->Get("/");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_NE(page->body.find("/app.js"), std::string::npos);
  auto picture = client()->Get("/snapshot.svg");
  ASSERT_TRUE(picture);
  EXPECT_NE(picture->body.find("id=\"dock\""), std::string::npos);
}

TEST_F(LiveServerTest, AMalformedCommandIs400WithItsMessageAndChangesNothing) {
  start();
  auto before = client()->Get("/session.scn");
  ASSERT_TRUE(before);
  auto res = client()->Post("/command", "foo", "text/plain");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 400);
  EXPECT_EQ(res->body.rfind("request:1: foo: expected one of pointer, ", 0), 0u) << res->body;
  res = client()->Post("/command", "check \"Launch at login\" maybe", "text/plain");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 400);
  EXPECT_EQ(res->body, "request:1: check: expected one of on, off, got maybe\n");
  auto after = client()->Get("/session.scn");
  ASSERT_TRUE(after);
  // Only the clock has moved: the same lines, a later `run`.
  auto withoutRun = [](const std::string& s) { return s.substr(0, s.rfind("run ")); };
  EXPECT_EQ(withoutRun(after->body), withoutRun(before->body));
}

TEST_F(LiveServerTest, TheClockTakesPauseResumeStepAndSpeed) {
  start();
  auto c = client();
  auto res = c->Post("/clock", "pause", "text/plain");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_EQ(nlohmann::json::parse(res->body)["paused"], true);
  res = c->Post("/clock", "speed 1000", "text/plain");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 400);
  EXPECT_EQ(res->body, "request:1: speed: the speed is between 0.1 and 100\n");
  res = c->Post("/clock", "rewind", "text/plain");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 400);
  EXPECT_EQ(res->body, "request:1: expected pause, resume, step or speed FACTOR\n");
  res = c->Post("/clock", "speed 2", "text/plain");
  ASSERT_TRUE(res);
  EXPECT_EQ(nlohmann::json::parse(res->body)["speed"], 2.0);
}

TEST_F(LiveServerTest, AForeignHostOrOriginIsRefused) {
  start();
  auto c = client();
  auto res = c->Get("/state", {{"Host", "evil.example:80"}});
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 403);
  res = c->Get("/state", {{"Host", own()}});
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  res = client()->Post("/command", {{"Origin", "http://evil.example"}}, "click", "text/plain");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 403);
  res = client()->Post("/command", {{"Origin", "http://127.0.0.1:1"}}, "click", "text/plain");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 403);
  res = client()->Post("/command", {{"Origin", "null"}}, "click", "text/plain");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 403);
  res = client()->Post("/command", {{"Origin", "http://" + own()}}, "click", "text/plain");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  // Nothing of the refused ones was applied.
  auto session = client()->Get("/session.scn");
  ASSERT_TRUE(session);
  EXPECT_EQ(session->body.find("click"), session->body.rfind("click"));
}

TEST_F(LiveServerTest, AnOversizedBodyIs413) {
  ServeLimits limits;
  limits.maxBodyBytes = 64;
  start(limits);
  auto res = client()->Post("/command", "pointer 1 " + std::string(100, '1'), "text/plain");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 413);
  res = client()->Post("/command", "pointer 1 2", "text/plain");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
}

TEST_F(LiveServerTest, RequestsOverTheRateAre429) {
  ServeLimits limits;
  limits.requestsPerSecond = 0.001;
  limits.burst = 3;
  start(limits);
  auto c = client();
  int ok = 0, refused = 0;
  for (int i = 0; i < 5; ++i) {
    auto res = c->Get("/state");
    ASSERT_TRUE(res);
    (res->status == 200 ? ok : refused) += res->status == 200 || res->status == 429;
  }
  EXPECT_EQ(ok, 3);
  EXPECT_EQ(refused, 2);
}

TEST_F(LiveServerTest, ConnectionsAndStreamsOverTheLimitAre429) {
  ServeLimits limits;
  limits.maxConnections = 2;
  limits.maxStreams = 1;
  start(limits);
  // One event stream held open, and one kept-alive connection: the limit.
  std::promise<void> streaming;
  std::atomic<bool> release{false}, told{false};
  std::thread stream([&] {
    auto c = client();
    c->Get("/events", [&](const char*, std::size_t) {
      if (!told.exchange(true)) streaming.set_value();
      return !release.load();
    });
  });
  auto started = streaming.get_future().wait_for(std::chrono::seconds(10));
  if (started != std::future_status::ready) {
    release = true;
    stream.join();
    FAIL() << "no event came";
  }
  auto kept = client();
  kept->set_keep_alive(true);
  auto res = kept->Get("/events");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 429);
  EXPECT_EQ(res->body, "too many event streams\n");
  res = client()->Get("/state");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 429);
  EXPECT_EQ(res->body, "too many connections\n");
  release = true;
  stream.join();
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
