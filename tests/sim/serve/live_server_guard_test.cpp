// What other pages and odd requests cannot do: a browser's request from
// another site is refused before it spends any budget, so a flood of them
// never keeps the visitor's own page from loading; fields that decide a
// check come once, and never from a chunked trailer; a path served with
// another method is 405 with Allow. Hostile clients in bounded loops on
// 127.0.0.1.
#include "tests/live_server_fixture.h"

namespace {

using live_test::exchange;
using live_test::Headers;
using live_test::LiveServerTest;
using live_test::Reply;
using live_test::request;

TEST_F(LiveServerTest, AFloodFromAnotherSiteNeverKeepsThePageFromLoading) {
  start();
  Headers floods[] = {
      {{"Sec-Fetch-Site", "cross-site"}},
      {{"Sec-Fetch-Site", "same-site"}},  // another port of this machine
      {{"Referer", "http://evil.example/page"}},
      {{"Referer", "http://127.0.0.1:1/"}},
      {{"Referer", "http://" + own() + ".evil.example/"}},
  };
  for (int i = 0; i < 400; ++i) {
    const auto& h = floods[i % std::size(floods)];
    for (const char* path : {"/", "/app.js"}) {
      auto r = exchange(port(), request("GET", path, port(), h)).value_or(Reply{});
      ASSERT_EQ(r.status, 403) << path << " " << h[0].second;
    }
  }
  // The visitor's own loads, as a browser makes them.
  int loaded = 0;
  for (int i = 0; i < 20; ++i) {
    auto page = exchange(port(), request("GET", "/?token=" + server_->token(), port(),
                                         {{"Sec-Fetch-Site", "none"}}))
                    .value_or(Reply{});
    Headers own = {{"Sec-Fetch-Site", "same-origin"}, {"Referer", "http://" + this->own() + "/"}};
    auto script = exchange(port(), request("GET", "/app.js", port(), own)).value_or(Reply{});
    auto style = exchange(port(), request("GET", "/style.css", port(), own)).value_or(Reply{});
    loaded += page.status == 200 && script.status == 200 && style.status == 200;
  }
  EXPECT_EQ(loaded, 20);
}

TEST_F(LiveServerTest, DuplicateFieldsAndTrailersAreRefused) {
  start();
  const std::string token = server_->token(), host = "Host: " + own() + "\r\n";
  const std::string auth = "Authorization: Bearer " + token + "\r\n";
  std::string cases[] = {
      "GET /state HTTP/1.1\r\n" + host + host + auth + "\r\n",
      "GET /state HTTP/1.1\r\n" + host + "Host: evil.example\r\n" + auth + "\r\n",
      "GET /state HTTP/1.1\r\n" + host + auth + "Origin: http://" + own() +
          "\r\nOrigin: http://evil.example\r\n\r\n",
      "GET /state HTTP/1.1\r\n" + host + auth + auth + "\r\n",
  };
  for (int round = 0; round < 50; ++round)
    for (const auto& raw : cases)
      ASSERT_EQ(exchange(port(), raw).value_or(Reply{}).status, 400) << raw;
  // A Host or the token that comes only after the body.
  std::string chunked =
      "POST /command?token=" + token + " HTTP/1.1\r\nTransfer-Encoding: chunked\r\n";
  std::string body = "5\r\nclick\r\n0\r\n";
  std::string trailers[] = {
      chunked + host + "\r\n" + body + "Host: " + own() + "\r\n\r\n",
      "POST /command HTTP/1.1\r\nTransfer-Encoding: chunked\r\n" + host + "\r\n" + body + auth +
          "\r\n",
      chunked + "\r\n" + body + host + "\r\n",
  };
  for (int round = 0; round < 50; ++round)
    for (const auto& raw : trailers) {
      ASSERT_EQ(exchange(port(), raw).value_or(Reply{}).status, 400) << raw;
    }
  EXPECT_EQ(get("/session.scn").body.find("click"), std::string::npos);
  // Without a trailer the same body is taken.
  EXPECT_EQ(exchange(port(), chunked + host + "\r\n" + body + "\r\n").value_or(Reply{}).status,
            200);
}

TEST_F(LiveServerTest, AnotherMethodIs405WithAllowAndAnUnknownPath404) {
  start();
  struct Case {
    std::string method, path;
    int status;
    std::string allow;
  } cases[] = {
      {"HEAD", "/state", 405, "GET"},     {"PUT", "/command", 405, "POST"},
      {"OPTIONS", "/trace", 405, "GET"},  {"DELETE", "/events", 405, "GET"},
      {"GET", "/clock", 405, "POST"},     {"PUT", "/app.js", 405, "GET"},
      {"HEAD", "/", 405, "GET"},          {"PUT", "/nothing-here", 404, ""},
      {"HEAD", "/nothing-here", 404, ""},
  };
  for (const auto& c : cases) {
    std::string raw = c.method + " " + c.path + "?token=" + server_->token() +
                      " HTTP/1.1\r\nHost: " + own() + "\r\nContent-Length: 0\r\n\r\n";
    live_test::Socket s(port());
    ASSERT_TRUE(s.send(raw));
    // A HEAD answer has no body whatever its Content-Length says.
    auto r =
        c.method == "HEAD" ? std::optional<Reply>() : s.reply(live_test::within(live_test::kWait));
    if (c.method == "HEAD") {
      ASSERT_TRUE(s.readUntil("\r\n\r\n", live_test::within(live_test::kWait)));
      r = Reply{};
      r->status = std::stoi(s.received.substr(9, 3));
      auto at = s.received.find("Allow: ");
      if (at != std::string::npos)
        r->headers["allow"] = s.received.substr(at + 7, s.received.find("\r\n", at) - at - 7);
    }
    EXPECT_EQ(r->status, c.status) << c.method << " " << c.path;
    EXPECT_EQ(r->header("allow"), c.allow) << c.method << " " << c.path;
  }
}

}  // namespace
