#include "sim/serve/live_server.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "backend/trace.h"
#include "backend/words.h"
#include "sim/serve/connection_pool.h"

namespace sim::serve {

namespace {

constexpr std::size_t kMaxWebFiles = 32;
constexpr std::uintmax_t kMaxWebFileBytes = 1u << 20;
constexpr std::size_t kMaxLinesPerEvent = 2000;
constexpr auto kStreamWait = std::chrono::milliseconds(1000);
constexpr int kPingEvery = 5;  // waits without news before a keep-alive comment

std::string dumpJSON(const nlohmann::json& j) {
  // Trace lines echo what the visitor typed: bytes that are not UTF-8 are
  // replaced rather than refused.
  return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void text(httplib::Response& res, int status, const std::string& message) {
  res.status = status;
  res.set_content(message + "\n", "text/plain; charset=utf-8");
}

std::string typeOf(const std::filesystem::path& p) {
  auto ext = p.extension().string();
  if (ext == ".html") return "text/html; charset=utf-8";
  if (ext == ".js") return "text/javascript; charset=utf-8";
  if (ext == ".css") return "text/css; charset=utf-8";
  if (ext == ".svg") return "image/svg+xml";
  if (ext == ".png") return "image/png";
  return "application/octet-stream";
}

// A line of the clock's little language: pause, resume, step, speed FACTOR.
Reply clockCommand(const std::string& line, LiveSession& s, Nanos now) {
  std::vector<backend::Token> words;
  auto bad = [](const std::string& m) {
    return Reply{400, "text/plain", "request:1: " + m + "\n"};
  };
  if (line.find_first_of("\r\n") != std::string::npos) return bad("one command a line");
  if (auto e = backend::tokenize(line, &words)) return bad(*e);
  std::string name = words.empty() || words[0].quoted ? "" : words[0].text;
  if ((name == "pause" || name == "resume" || name == "step") && words.size() == 1) {
    if (name == "pause") s.pause(now);
    if (name == "resume") s.resume(now);
    if (name == "step") s.step(now);
  } else if (name == "speed" && words.size() == 2 && !words[1].quoted) {
    auto factor = backend::parseNumber(words[1].text);
    if (!factor) return bad("speed: not a number: " + words[1].text);
    if (auto e = s.setSpeed(*factor, now)) return bad("speed: " + *e);
  } else {
    return bad("expected pause, resume, step or speed FACTOR");
  }
  return {200, "application/json", dumpJSON(LiveLoop::stateOf(s))};
}

std::string bodyLine(const httplib::Request& req) {
  std::string line = req.body;
  // A line as a file would hold it: one newline at its end is no part of it.
  if (!line.empty() && line.back() == '\n') line.pop_back();
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace

LiveServer::LiveServer(LiveLoop& loop, const std::string& webDir, ServeLimits limits)
    : loop_(loop), limits_(limits), rate_(limits.requestsPerSecond, limits.burst) {
  loadWebFiles(webDir);
  server_.new_task_queue = [this] {
    return new ConnectionPool(limits_.maxConnections, limits_.refusers);
  };
  server_.set_payload_max_length(limits_.maxBodyBytes);
  server_.set_read_timeout(limits_.ioTimeoutSeconds);
  server_.set_write_timeout(limits_.ioTimeoutSeconds);
  server_.set_keep_alive_timeout(limits_.ioTimeoutSeconds);
  server_.set_keep_alive_max_count(100);
  server_.set_default_headers(
      {{"Cache-Control", "no-store"},
       {"X-Content-Type-Options", "nosniff"},
       {"Content-Security-Policy", "default-src 'self'; frame-ancestors 'none'"}});
  server_.set_error_handler([](const httplib::Request&, httplib::Response& res) {
    if (!res.body.empty()) return;
    if (res.status == 413)
      text(res, 413, "the request is too large");
    else if (res.status == 404)
      text(res, 404, "no such page");
    else
      text(res, res.status, "the request was refused");
  });
  routes();
}

LiveServer::~LiveServer() { stop(); }

void LiveServer::loadWebFiles(const std::string& dir) {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    if (web_.size() >= kMaxWebFiles) break;
    if (!entry.is_regular_file(ec) || entry.file_size(ec) > kMaxWebFileBytes) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::stringstream body;
    body << in.rdbuf();
    web_["/" + entry.path().filename().string()] = {typeOf(entry.path()), body.str()};
  }
  if (auto it = web_.find("/index.html"); it != web_.end()) web_["/"] = it->second;
}

bool LiveServer::admit(const httplib::Request& req, httplib::Response& res) {
  if (ConnectionPool::refusing()) {
    text(res, 429, "too many connections");
  } else if (!isLoopbackAddress(req.remote_addr)) {
    text(res, 403, "only this machine may connect");
  } else if (!hostAllowed(req.get_header_value("Host"), port_)) {
    text(res, 403, "foreign Host: " + req.get_header_value("Host"));
  } else if (!originAllowed(req.has_header("Origin"), req.get_header_value("Origin"), port_)) {
    text(res, 403, "foreign Origin: " + req.get_header_value("Origin"));
  } else if (!rate_.allow(std::chrono::duration_cast<std::chrono::nanoseconds>(
                              std::chrono::steady_clock::now() - start_)
                              .count())) {
    text(res, 429, "too many requests");
  } else {
    return true;
  }
  res.set_header("Connection", "close");
  return false;
}

LiveServer::Handler LiveServer::guarded(Handler h) {
  // Checked in the handler, once the body (bounded) has been read, so that
  // a refused request leaves nothing behind on a kept-alive connection.
  return [this, h = std::move(h)](const httplib::Request& req, httplib::Response& res) {
    if (admit(req, res)) h(req, res);
  };
}

void LiveServer::callLoop(LiveLoop::Job job, httplib::Response& res) {
  bool busy = false;
  auto reply = loop_.call(std::move(job), limits_.answerTimeout, &busy);
  if (!reply) {
    if (busy)
      text(res, 429, "the desktop is busy");
    else
      text(res, 503, "the desktop did not answer");
    return;
  }
  res.status = reply->status;
  res.set_content(reply->body, reply->contentType);
}

void LiveServer::routes() {
  server_.Get("/events",
              guarded([this](const httplib::Request&, httplib::Response& res) { events(res); }));
  server_.Post("/command", guarded([this](const httplib::Request& req, httplib::Response& res) {
                 std::string line = bodyLine(req);
                 callLoop(
                     [line](LiveSession& s, Nanos now) -> Reply {
                       auto out = s.input(line, now);
                       if (out.result == LiveSession::Result::Refused)
                         return {400, "text/plain; charset=utf-8", out.error + "\n"};
                       if (out.result == LiveSession::Result::Full)
                         return {409, "text/plain; charset=utf-8", out.error + "\n"};
                       nlohmann::json j = {{"time", backend::formatSeconds(out.time)},
                                           {"line", out.line},
                                           {"state", LiveLoop::stateOf(s)}};
                       return {200, "application/json", dumpJSON(j)};
                     },
                     res);
               }));
  server_.Post("/clock", guarded([this](const httplib::Request& req, httplib::Response& res) {
                 std::string line = bodyLine(req);
                 callLoop([line](LiveSession& s, Nanos now) { return clockCommand(line, s, now); },
                          res);
               }));
  server_.Get("/session.scn", guarded([this](const httplib::Request&, httplib::Response& res) {
                callLoop(
                    [](LiveSession& s, Nanos) {
                      return Reply{200, "text/plain; charset=utf-8", s.scenarioText()};
                    },
                    res);
                res.set_header("Content-Disposition", "attachment; filename=\"session.scn\"");
              }));
  server_.Get("/trace", guarded([this](const httplib::Request&, httplib::Response& res) {
                res.set_content(loop_.view().traceText(), "text/plain; charset=utf-8");
              }));
  server_.Get("/snapshot.svg", guarded([this](const httplib::Request&, httplib::Response& res) {
                res.set_content(*loop_.view().latest().svg, "image/svg+xml");
              }));
  server_.Get("/state", guarded([this](const httplib::Request&, httplib::Response& res) {
                res.set_content(dumpJSON(loop_.view().latest().state), "application/json");
              }));
  // The page's own files, by exact name: nothing else on disk is reachable.
  server_.Get(".*", guarded([this](const httplib::Request& req, httplib::Response& res) {
                auto it = web_.find(req.path);
                if (it == web_.end()) return text(res, 404, "no such page");
                res.set_content(it->second.body, it->second.type);
              }));
}

void LiveServer::events(httplib::Response& res) {
  if (++streams_ > limits_.maxStreams) {
    --streams_;
    text(res, 429, "too many event streams");
    return;
  }
  struct Cursor {
    std::uint64_t seq = 0;
    std::size_t from = 0;
    std::shared_ptr<const std::string> svg;
    int idle = 0;
  };
  auto cursor = std::make_shared<Cursor>();
  res.set_header("X-Accel-Buffering", "no");
  res.set_chunked_content_provider(
      "text/event-stream",
      [this, cursor](std::size_t, httplib::DataSink& sink) {
        if (stopping_) return false;
        auto u = loop_.view().waitNewer(cursor->seq, cursor->from, kMaxLinesPerEvent, kStreamWait);
        if (u.closed || stopping_) return false;
        if (u.seq == cursor->seq && u.lines.empty()) {
          if (++cursor->idle < kPingEvery) return true;
          cursor->idle = 0;
          static const std::string ping = ": ping\n\n";
          return sink.write(ping.data(), ping.size());
        }
        cursor->idle = 0;
        nlohmann::json j = {
            {"seq", u.seq}, {"state", u.state}, {"from", u.from}, {"lines", u.lines}};
        if (u.svg != cursor->svg) j["svg"] = *u.svg;
        cursor->seq = u.seq;
        cursor->from = u.from + u.lines.size();
        cursor->svg = u.svg;
        std::string event = "data: " + dumpJSON(j) + "\n\n";
        return sink.write(event.data(), event.size());
      },
      [this](bool) { --streams_; });
}

bool LiveServer::bind(int port) {
  if (port == 0) {
    port_ = server_.bind_to_any_port("127.0.0.1");
    return port_ > 0;
  }
  port_ = port;
  return server_.bind_to_port("127.0.0.1", port);
}

bool LiveServer::listen() { return server_.listen_after_bind(); }

void LiveServer::stop() {
  stopping_ = true;
  server_.stop();
}

}  // namespace sim::serve
