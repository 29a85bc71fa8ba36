// The live page's HTTP server, on 127.0.0.1 only (http_server.h bounds what
// clients send). Every route hands its work to the desktop's thread
// (live_loop.h) or reads what it published.
//
//   GET  /                        the page (resources/web/index.html)
//   GET  /app.js, /style.css      its files; the page reads the token from
//                                 its own address
//   GET  /events                  server-sent events: {"seq", "state",
//                                 "svg" (when it changed), "from", "lines"}
//   POST /command                 one scenario command; 200 {"time", "line",
//                                 "state"}, 400 "request:1: message",
//                                 409 when the session is full
//   POST /clock                   pause | resume | step | speed FACTOR;
//                                 200 the state, 400 "request:1: message"
//   GET  /session.scn             the session as a scenario file
//   GET  /trace, /snapshot.svg, /state   the trace, the picture, the state
//
// The page and its files hold no secret and are served to anyone on this
// machine, from a small rate budget of their own (token or not). Every
// other request carries the token made at start, as the query parameter
// `token` or as `Authorization: Bearer TOKEN`, and spends the main budget.
// Refused before any budget is spent: a peer off this machine, a Host,
// Origin or Referer that is not the server's own, a browser's request from
// another site (Sec-Fetch-Site), a missing or wrong token (403); any of
// those fields given twice (400). Then: requests over the rate or more
// large answers (the trace, the session) in flight than the limit (429);
// a path served with another method (405, with Allow); a command the
// desktop did not take up in time, or not before a stop (503, and it
// never is applied).
// A new event stream over the limit closes the oldest: the page open now
// wins over one left behind.
#pragma once

#include <atomic>
#include <chrono>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "sim/serve/http_server.h"
#include "sim/serve/live_loop.h"
#include "sim/serve/request_guard.h"

namespace sim::serve {

struct ServeLimits {
  HttpLimits http;
  std::size_t maxStreams = 4;  // /events at once
  double requestsPerSecond = 200;
  double burst = 400;
  // The page and its files, token or not: a few loads a second.
  double pageRequestsPerSecond = 20;
  double pageBurst = 100;
  // /trace and /session.scn being written at once: up to 16 MiB each.
  std::size_t maxLargeAnswers = 8;
  std::chrono::milliseconds answerTimeout{5000};  // for the desktop to take up a command
};

class LiveServer {
 public:
  LiveServer(LiveLoop& loop, const std::string& webDir, ServeLimits limits = {},
             std::string token = makeAccessToken());
  ~LiveServer();
  LiveServer(const LiveServer&) = delete;
  LiveServer& operator=(const LiveServer&) = delete;

  // Binds 127.0.0.1:port (0: a free port); false when that fails.
  bool bind(int port);
  int port() const { return server_.port(); }
  const std::string& token() const { return token_; }
  // http://127.0.0.1:PORT/?token=TOKEN
  std::string url() const;
  // Serves until stop(); run it on a thread of its own.
  void listen();
  // Any thread; listen() returns soon after, whatever the clients do.
  void stop();

 private:
  struct WebFile {
    std::string type, body;
  };
  void loadWebFiles(const std::string& dir);
  void handle(const HttpRequest& req, const Responder& respond);
  // The checks every request passes first; the refusal when it fails one.
  std::optional<HttpResponse> refusal(const HttpRequest& req);
  // The method a path takes; null for a path not served.
  const char* methodFor(const std::string& path) const;
  bool carriesToken(const HttpRequest& req) const;
  void callLoop(LiveLoop::Job job, const Responder& respond);
  void events(const Responder& respond);
  void large(std::vector<HttpResponse::Part> body, HttpResponse r, const Responder& respond);

  LiveLoop& loop_;
  ServeLimits limits_;
  std::string token_;
  std::map<std::string, WebFile> web_;
  RateLimiter rate_, pageRate_;
  // The event streams that count, oldest first; a stream's flag tells it
  // that it was made to give its place up.
  std::mutex streamsMutex_;
  std::list<std::shared_ptr<std::atomic<bool>>> streams_;
  std::shared_ptr<std::atomic<std::size_t>> largeAnswers_ =
      std::make_shared<std::atomic<std::size_t>>(0);
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  HttpServer server_;  // last: its connections go before what they use
};

}  // namespace sim::serve
