#include "sim/serve/live_server.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "backend/trace.h"
#include "sim/scenario/command_words.h"
#include "sim/words/tokens.h"

namespace sim::serve {

namespace {

constexpr std::size_t kMaxWebFiles = 32;
constexpr std::uintmax_t kMaxWebFileBytes = 1u << 20;
constexpr std::size_t kMaxLinesPerEvent = 2000;
constexpr int kPingEvery = 5;  // idle ticks before a keep-alive comment

std::string dumpJSON(const nlohmann::json& j) {
  // Trace lines echo what the visitor typed: bytes that are not UTF-8 are
  // replaced rather than refused.
  return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

HttpResponse refused(int status, const std::string& message) {
  auto r = HttpResponse::text(status, message);
  r.close = true;
  return r;
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

// A line of the clock's little language: pause, resume, step, speed FACTOR,
// its words checked as a scenario's are.
Reply clockCommand(std::string line, LiveSession& s, Nanos now) {
  auto bad = [](const std::string& m) {
    return Reply{400, "text/plain; charset=utf-8", "request:1: " + m + "\n"};
  };
  if (line.find_first_of("\r\n") != std::string::npos) return bad("one command a line");
  if (auto fault = words::lineFault(line)) return bad(*fault);
  std::vector<Token> words;
  if (auto e = tokenize(line, &words)) return bad(*e);
  std::string name = words.empty() || words[0].quoted ? "" : words[0].text;
  if ((name == "pause" || name == "resume" || name == "step") && words.size() == 1) {
    if (name == "pause") s.pause(now);
    if (name == "resume") s.resume(now);
    if (name == "step") s.step(now);
  } else if (name == "speed" && words.size() == 2 && !words[1].quoted) {
    auto factor = parseFiniteNumber(words[1].text);
    if (!factor) return bad("speed: not a number: " + words::excerpt(words[1].text));
    if (auto e = s.setSpeed(*factor, now)) return bad("speed: " + *e);
  } else {
    return bad("expected pause, resume, step or speed FACTOR");
  }
  return {200, "application/json", dumpJSON(LiveLoop::stateOf(s))};
}

Reply commandReply(const std::string& line, LiveSession& s, Nanos now) {
  auto out = s.input(line, now);
  if (out.result == LiveSession::Result::Refused)
    return {400, "text/plain; charset=utf-8", out.error + "\n"};
  if (out.result == LiveSession::Result::Full)
    return {409, "text/plain; charset=utf-8", out.error + "\n"};
  nlohmann::json j = {{"time", backend::formatSeconds(out.time)},
                      {"line", out.line},
                      {"state", LiveLoop::stateOf(s)}};
  return {200, "application/json", dumpJSON(j)};
}

std::string bodyLine(const HttpRequest& req) {
  std::string line = req.body;
  // A line as a file would hold it: one newline at its end is no part of it.
  if (!line.empty() && line.back() == '\n') line.pop_back();
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

// The page's event stream: what the view published since the last event.
class EventStream final : public StreamSource {
 public:
  using Ended = std::function<void()>;
  EventStream(const PublishedView& view, std::shared_ptr<std::atomic<bool>> evicted, Ended ended)
      : view_(view), evicted_(std::move(evicted)), ended_(std::move(ended)) {}
  ~EventStream() override { ended_(); }

  std::optional<std::string> next(bool idleTick) override {
    if (*evicted_) return std::nullopt;
    auto u = view_.newer(seq_, from_, kMaxLinesPerEvent);
    if (!u) {
      if (!idleTick || ++idle_ < kPingEvery) return "";
      idle_ = 0;
      return ": ping\n\n";
    }
    if (u->closed) return std::nullopt;
    idle_ = 0;
    nlohmann::json j = {
        {"seq", u->seq}, {"state", u->state}, {"from", u->from}, {"lines", u->lines}};
    if (u->svg != svg_) j["svg"] = *u->svg;
    seq_ = u->seq;
    from_ = u->from + u->lines.size();
    svg_ = u->svg;
    return "data: " + dumpJSON(j) + "\n\n";
  }

 private:
  const PublishedView& view_;
  std::shared_ptr<std::atomic<bool>> evicted_;
  Ended ended_;
  std::uint64_t seq_ = 0;
  std::size_t from_ = 0;
  std::shared_ptr<const std::string> svg_;
  int idle_ = 0;
};

}  // namespace

LiveServer::LiveServer(LiveLoop& loop, const std::string& webDir, ServeLimits limits,
                       std::string token)
    : loop_(loop),
      limits_(limits),
      token_(std::move(token)),
      rate_(limits.requestsPerSecond, limits.burst),
      pageRate_(limits.pageRequestsPerSecond, limits.pageBurst),
      server_(limits.http,
              [this](const HttpRequest& req, const Responder& respond) { handle(req, respond); },
              {{"Cache-Control", "no-store"},
               {"X-Content-Type-Options", "nosniff"},
               {"Referrer-Policy", "no-referrer"},
               {"Content-Security-Policy", "default-src 'self'; frame-ancestors 'none'"}}) {
  loadWebFiles(webDir);
  loop_.view().onChange([this] { server_.wakeStreams(); });
}

LiveServer::~LiveServer() {
  loop_.view().onChange({});
  stop();
}

std::string LiveServer::url() const {
  return "http://127.0.0.1:" + std::to_string(port()) + "/?token=" + token_;
}

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

bool LiveServer::carriesToken(const HttpRequest& req) const {
  if (auto given = req.queryValue("token"); given && sameSecret(*given, token_)) return true;
  const std::string* auth = req.header("authorization");
  const std::string scheme = "bearer ";
  if (!auth || auth->size() < scheme.size()) return false;
  for (std::size_t i = 0; i < scheme.size(); ++i)
    if (std::tolower(static_cast<unsigned char>((*auth)[i])) != scheme[i]) return false;
  return sameSecret(std::string_view(*auth).substr(scheme.size()), token_);
}

std::optional<HttpResponse> LiveServer::refusal(const HttpRequest& req) {
  if (!isLoopbackAddress(req.remoteAddress)) return refused(403, "only this machine may connect");
  // Each field judged below is taken once: two that disagree would let a
  // check read one and a proxy or browser the other.
  for (const char* name : {"host", "origin", "referer", "sec-fetch-site", "authorization"}) {
    auto count = std::count_if(req.headers.begin(), req.headers.end(),
                               [&](const auto& field) { return field.first == name; });
    if (count > 1) return refused(400, std::string("more than one ") + name + " header line");
  }
  const std::string* host = req.header("host");
  const std::string* origin = req.header("origin");
  const std::string* referer = req.header("referer");
  const std::string* site = req.header("sec-fetch-site");
  if (!hostAllowed(host ? *host : "", port()))
    return refused(403, "foreign Host: " + (host ? *host : ""));
  if (!originAllowed(origin != nullptr, origin ? *origin : "", port()))
    return refused(403, "foreign Origin: " + *origin);
  // What another page makes a browser send (an image, a form) is refused
  // before it spends any budget: it cannot starve the visitor's own loads.
  if (!fetchSiteAllowed(site != nullptr, site ? *site : ""))
    return refused(403, "a request from another site: " + *site);
  if (!refererAllowed(referer != nullptr, referer ? *referer : "", port()))
    return refused(403, "a request from another page");
  auto now = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() -
                                                                  start_)
                 .count();
  // The page's own files spend a small budget of their own, token or not;
  // everything else needs the token and spends the main budget; anything
  // else without it spends nothing.
  bool page = web_.count(req.path) > 0;
  bool token = carriesToken(req);
  if (!token && !(page && req.method == "GET"))
    return refused(403, "a token is needed: open the address the server printed at start");
  RateLimiter& budget = page ? pageRate_ : rate_;
  if (!budget.allow(now)) return refused(429, "too many requests");
  return std::nullopt;
}

const char* LiveServer::methodFor(const std::string& path) const {
  static const std::map<std::string, const char*> routes = {
      {"/events", "GET"}, {"/command", "POST"},     {"/clock", "POST"}, {"/session.scn", "GET"},
      {"/trace", "GET"},  {"/snapshot.svg", "GET"}, {"/state", "GET"}};
  if (auto it = routes.find(path); it != routes.end()) return it->second;
  return web_.count(path) ? "GET" : nullptr;
}

void LiveServer::handle(const HttpRequest& req, const Responder& respond) {
  if (auto no = refusal(req)) return respond.send(std::move(*no));
  const char* method = methodFor(req.path);
  if (!method) return respond.send(HttpResponse::text(404, "no such page"));
  if (req.method != method) {
    auto r = HttpResponse::text(405, req.path + " takes " + method + " only");
    r.headers.emplace_back("Allow", method);
    return respond.send(std::move(r));
  }
  if (req.path == "/events") return events(respond);
  if (req.path == "/command") {
    return callLoop(
        [line = bodyLine(req)](LiveSession& s, Nanos now) { return commandReply(line, s, now); },
        respond);
  }
  if (req.path == "/clock") {
    return callLoop(
        [line = bodyLine(req)](LiveSession& s, Nanos now) { return clockCommand(line, s, now); },
        respond);
  }
  if (req.path == "/session.scn") {
    HttpResponse r;
    r.headers.emplace_back("Content-Disposition", "attachment; filename=\"session.scn\"");
    return large(loop_.view().session(), std::move(r), respond);
  }
  if (req.path == "/trace") return large(loop_.view().trace(), {}, respond);
  if (req.path == "/snapshot.svg") {
    HttpResponse r;
    r.contentType = "image/svg+xml";
    r.body.push_back(loop_.view().latest().svg);
    return respond.send(std::move(r));
  }
  if (req.path == "/state")
    return respond.send(
        HttpResponse::of(200, "application/json", dumpJSON(loop_.view().latest().state)));
  // The page's own files, by exact name: nothing else on disk is reachable.
  const auto& file = web_.at(req.path);
  respond.send(HttpResponse::of(200, file.type, file.body));
}

void LiveServer::callLoop(LiveLoop::Job job, const Responder& respond) {
  auto ticket = loop_.submit(std::move(job), [respond](Reply r) {
    respond.send(HttpResponse::of(r.status, std::move(r.contentType), std::move(r.body)));
  });
  if (!ticket && loop_.stopping())
    return respond.send(refused(503, "the desktop is stopping; the request was not applied"));
  if (!ticket) return respond.send(refused(429, "the desktop is busy"));
  // Unless the desktop has taken the job up by then, it is given up, and
  // the answer says so truthfully: it will never be applied.
  respond.fallbackAfter(limits_.answerTimeout, [ticket]() -> std::optional<HttpResponse> {
    if (!ticket->abandon()) return std::nullopt;  // under way: its answer comes
    return HttpResponse::text(503, "the desktop did not answer; the request was not applied");
  });
}

// A large answer counts until its client has taken it (or is cut off for
// taking it too slowly): the answers in flight are counted, and bounded.
void LiveServer::large(std::vector<HttpResponse::Part> body, HttpResponse r,
                       const Responder& respond) {
  if (++*largeAnswers_ > limits_.maxLargeAnswers) {
    --*largeAnswers_;
    return respond.send(refused(429, "too many large answers at once; try again shortly"));
  }
  r.body = std::move(body);
  r.lease =
      std::shared_ptr<const void>(nullptr, [count = largeAnswers_](const void*) { --*count; });
  respond.send(std::move(r));
}

void LiveServer::events(const Responder& respond) {
  auto evicted = std::make_shared<std::atomic<bool>>(false);
  bool evicting = false;
  {
    std::lock_guard<std::mutex> lock(streamsMutex_);
    if (limits_.maxStreams == 0) return respond.send(refused(429, "no event streams"));
    if (streams_.size() >= limits_.maxStreams) {
      // A page left open somewhere, or a client that holds streams, gives
      // way to the page that asks now.
      *streams_.front() = true;
      streams_.pop_front();
      evicting = true;
    }
    streams_.push_back(evicted);
  }
  auto ended = [this, evicted] {
    std::lock_guard<std::mutex> lock(streamsMutex_);
    streams_.remove(evicted);
  };
  respond.stream(std::make_unique<EventStream>(loop_.view(), evicted, ended));
  if (evicting) server_.wakeStreams();
}

bool LiveServer::bind(int port) { return server_.bind(port); }

void LiveServer::listen() { server_.run(); }

void LiveServer::stop() { server_.stop(); }

}  // namespace sim::serve
