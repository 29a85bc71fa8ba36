// The live page's HTTP server, on 127.0.0.1 only. Every route hands its
// work to the desktop's thread (live_loop.h) or reads what it published.
//
//   GET  /, /app.js, /style.css   the page (resources/web/)
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
// Refused: a peer off this machine, a Host or Origin that is not the
// server's own (403), a body over the limit (413), more connections or
// streams than the limits, or requests over the rate (429).
#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <string>

#include "sim/serve/live_loop.h"
#include "sim/serve/request_guard.h"

namespace sim::serve {

struct ServeLimits {
  std::size_t maxBodyBytes = 4096;
  std::size_t maxConnections = 16;  // served at once; more get 429
  std::size_t refusers = 2;         // threads that answer those
  std::size_t maxStreams = 4;       // /events at once
  double requestsPerSecond = 200;
  double burst = 400;
  std::chrono::milliseconds answerTimeout{5000};
  int ioTimeoutSeconds = 5;  // read, write and keep-alive
};

class LiveServer {
 public:
  LiveServer(LiveLoop& loop, const std::string& webDir, ServeLimits limits = {});
  ~LiveServer();
  LiveServer(const LiveServer&) = delete;
  LiveServer& operator=(const LiveServer&) = delete;

  // Binds 127.0.0.1:port (0: a free port); false when that fails.
  bool bind(int port);
  int port() const { return port_; }
  // Serves until stop(); run it on a thread of its own.
  bool listen();
  void stop();

 private:
  struct WebFile {
    std::string type, body;
  };
  using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;
  void loadWebFiles(const std::string& dir);
  void routes();
  // The checks every request passes first; false when it was answered.
  bool admit(const httplib::Request& req, httplib::Response& res);
  Handler guarded(Handler h);
  void callLoop(LiveLoop::Job job, httplib::Response& res);
  void events(httplib::Response& res);

  LiveLoop& loop_;
  ServeLimits limits_;
  httplib::Server server_;
  std::map<std::string, WebFile> web_;
  RateLimiter rate_;
  std::atomic<std::size_t> streams_{0};
  std::atomic<bool> stopping_{false};
  int port_ = 0;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace sim::serve
