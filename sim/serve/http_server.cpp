// Boost.Beast parses the requests (its header and body limits hold for
// chunked bodies too); Boost.Asio does the input and output on one thread.
// Answers are written here, not by Beast, so that a body can be made of
// parts shared with other answers.
#include "sim/serve/http_server.h"

#include <sys/ioctl.h>

#include <algorithm>
#include <atomic>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/string_body.hpp>
#ifdef __linux__
#include <linux/sockios.h>  // SIOCOUTQ
#endif

#include <list>
#include <mutex>

#include "sim/serve/take_rate.h"

namespace sim::serve {

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = net::ip::tcp;
using Clock = std::chrono::steady_clock;

namespace {

const char* reasonOf(int status) {
  switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 409: return "Conflict";
    case 413: return "Payload Too Large";
    case 429: return "Too Many Requests";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Unknown";
  }
}

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string str(beast::string_view s) { return std::string(s.data(), s.size()); }

bool isParseError(const beast::error_code& ec) {
  return ec.category() == http::make_error_code(http::error::bad_target).category();
}

}  // namespace

const std::string* HttpRequest::header(const std::string& lowerName) const {
  for (const auto& [name, value] : headers)
    if (name == lowerName) return &value;
  return nullptr;
}

std::optional<std::string> HttpRequest::queryValue(const std::string& name) const {
  std::size_t at = 0;
  while (at <= query.size()) {
    std::size_t end = query.find('&', at);
    if (end == std::string::npos) end = query.size();
    std::string_view pair(query.data() + at, end - at);
    if (pair.size() > name.size() && pair.substr(0, name.size()) == name &&
        pair[name.size()] == '=')
      return std::string(pair.substr(name.size() + 1));
    at = end + 1;
  }
  return std::nullopt;
}

HttpResponse HttpResponse::text(int status, const std::string& message) {
  return of(status, "text/plain; charset=utf-8", message + "\n");
}

HttpResponse HttpResponse::of(int status, std::string contentType, std::string body) {
  HttpResponse r;
  r.status = status;
  r.contentType = std::move(contentType);
  r.body.push_back(std::make_shared<const std::string>(std::move(body)));
  return r;
}

// What is left to write of an answer, a piece at a time.
struct Outgoing {
  std::vector<HttpResponse::Part> parts;
  std::shared_ptr<const void> lease;
  std::size_t part = 0, offset = 0;

  bool done() const { return part == parts.size(); }
  std::vector<net::const_buffer> next(std::size_t most) const {
    std::vector<net::const_buffer> out;
    std::size_t p = part, o = offset;
    for (; p < parts.size() && most > 0; ++p, o = 0) {
      std::size_t n = std::min(most, parts[p]->size() - o);
      if (n > 0) out.emplace_back(parts[p]->data() + o, n);
      most -= n;
    }
    return out;
  }
  void consume(std::size_t n) {
    while (part < parts.size()) {
      std::size_t left = parts[part]->size() - offset;
      if (n < left) {
        offset += n;
        return;
      }
      n -= left;
      ++part;
      offset = 0;
    }
  }
};

struct Connection;

struct HttpServer::Impl : std::enable_shared_from_this<HttpServer::Impl> {
  Impl(HttpLimits l, Handler h, Headers d)
      : limits(l), handler(std::move(h)), defaultHeaders(std::move(d)) {}

  HttpLimits limits;
  Handler handler;
  Headers defaultHeaders;
  net::io_context ioc{1};
  tcp::acceptor acceptor{ioc};
  net::steady_timer ticker{ioc};
  net::steady_timer stopTimer{ioc};
  net::steady_timer judge{ioc};
  std::list<std::shared_ptr<Connection>> connections;
  int port = 0;
  bool stopping = false;  // the server's thread only

  // Other threads post work here while the server exists.
  std::mutex postMutex;
  bool alive = true;
  template <class F>
  void post(F&& f) {
    std::lock_guard<std::mutex> lock(postMutex);
    if (alive) net::post(ioc, std::forward<F>(f));
  }

  void accept();
  // Makes room for a new connection; false when every one is busy on
  // something that may not be cut short.
  bool makeRoom();
  void tick();
  // Closes the connections whose answers are taken too slowly.
  void judgeAnswers();
  void shutdown();
  void pumpStreams(bool idle);
};

struct Responder::Exchange {
  std::weak_ptr<HttpServer::Impl> server;
  std::weak_ptr<Connection> connection;
  std::uint64_t id = 0;
  std::atomic<bool> answered{false};
};

struct Connection : std::enable_shared_from_this<Connection> {
  enum class State { Reading, Answering, Streaming, Closed };

  Connection(HttpServer::Impl& s, tcp::socket socket)
      : server(s),
        stream(std::move(socket)),
        buffer(s.limits.maxHeaderBytes + s.limits.maxBodyBytes + 1024) {}

  HttpServer::Impl& server;
  beast::tcp_stream stream;
  beast::flat_buffer buffer;  // bounded: a request beyond it is refused
  std::optional<http::request_parser<http::string_body>> parser;
  State state = State::Reading;
  // When it last made progress: a request began, a piece of an answer was
  // taken.
  Clock::time_point progress = Clock::now();
  // The answer being written and how fast it is taken (not for streams):
  // the bytes written less those still in the socket's queue.
  std::optional<TakeRate> taking;
  std::uint64_t written = 0;
  // A large answer's lease is held until its client has taken it, not
  // only the socket (whose queue may hold all of it): a client that never
  // reads holds its place in the count until it is cut. The exchange
  // goes on (`afterTaken`) only then.
  std::shared_ptr<const void> heldLease;
  std::function<void(Connection&)> afterTaken;
  std::size_t headerFields = 0;  // those of the request's header, before any trailer
  std::function<void(std::uint64_t, beast::string_view, beast::error_code&)> lastChunk;
  std::uint64_t exchange = 0;
  bool keepAlive = false;
  bool headOnly = false;  // a HEAD request: the answer's head, without its body
  bool writing = false;
  std::shared_ptr<StreamSource> source;  // goes when the stream ends
  char dropped[256];
  std::list<std::shared_ptr<Connection>>::iterator self;

  void readRequest() {
    state = State::Reading;
    progress = Clock::now();
    ++exchange;
    parser.emplace();
    headerFields = 0;
    parser->header_limit(static_cast<std::uint32_t>(server.limits.maxHeaderBytes));
    parser->body_limit(server.limits.maxBodyBytes);
    stream.expires_after(server.limits.requestTime);
    // The last chunk's header comes before any trailer: the fields the
    // message has then are the header's.
    lastChunk = [this](std::uint64_t size, beast::string_view, beast::error_code&) {
      if (size == 0)
        headerFields =
            static_cast<std::size_t>(std::distance(parser->get().begin(), parser->get().end()));
    };
    parser->on_chunk_header(lastChunk);
    http::async_read(
        stream, buffer, *parser,
        [c = shared_from_this()](beast::error_code ec, std::size_t) { c->onRead(ec); });
  }

  // What the client has taken of the answer so far, as of `now`.
  TakeRate& measure(Clock::time_point now) {
    taking->reached(written - std::min(written, unsent()), now);
    return *taking;
  }

  // Bytes written that are still in the socket's queue.
  std::uint64_t unsent() {
#ifdef SIOCOUTQ
    int queued = 0;
    if (::ioctl(stream.socket().native_handle(), SIOCOUTQ, &queued) == 0 && queued > 0)
      return static_cast<std::uint64_t>(queued);
#endif
    return 0;
  }

  // Whether nothing of a request has come yet.
  bool idle() const {
    return state == State::Reading && buffer.size() == 0 && parser && !parser->got_some();
  }

  void onRead(beast::error_code ec) {
    if (state != State::Reading) return;
    if (ec == http::error::header_limit)
      return refuse(431, "the request's header lines are too long");
    if (ec == http::error::body_limit) return refuse(413, "the request is too large");
    if (ec == http::error::buffer_overflow)
      return parser->is_header_done() ? refuse(413, "the request is too large")
                                      : refuse(431, "the request's header lines are too long");
    if (ec == http::error::end_of_stream || ec == http::error::partial_message) return close();
    if (ec && isParseError(ec)) return refuse(400, "malformed request");
    if (ec) return close();  // timed out, reset, or the server is stopping

    auto& message = parser->get();
    auto fields = static_cast<std::size_t>(std::distance(message.begin(), message.end()));
    if (fields > server.limits.maxHeaderLines) return refuse(431, "too many header lines");
    // A trailer could carry a Host or a token past checks made on the
    // header, and no client of ours sends one.
    if (message.chunked() && fields > headerFields)
      return refuse(400, "fields in a chunked trailer are not taken");
    HttpRequest request;
    request.method = str(message.method_string());
    request.target = str(message.target());
    auto q = request.target.find('?');
    request.path = request.target.substr(0, q);
    if (q != std::string::npos) request.query = request.target.substr(q + 1);
    for (const auto& field : message)
      request.headers.emplace_back(lower(str(field.name_string())), str(field.value()));
    request.body = std::move(message.body());
    beast::error_code addressError;
    auto peer = stream.socket().remote_endpoint(addressError);
    if (!addressError) request.remoteAddress = peer.address().to_string();
    keepAlive = message.keep_alive();
    headOnly = message.method() == http::verb::head;
    parser.reset();
    stream.expires_never();
    state = State::Answering;

    auto ex = std::make_shared<Responder::Exchange>();
    ex->connection = weak_from_this();
    ex->id = exchange;
    ex->server = server.weak_from_this();
    try {
      server.handler(request, Responder(ex));
    } catch (const std::exception& e) {
      answer(exchange, HttpResponse::text(500, std::string("internal error: ") + e.what()));
    }
  }

  void refuse(int status, const char* message) {
    headOnly = false;
    auto r = HttpResponse::text(status, message);
    r.close = true;
    state = State::Answering;
    write(std::move(r));
  }

  void answer(std::uint64_t id, HttpResponse response) {
    if (state != State::Answering || id != exchange) return;
    write(std::move(response));
  }

  std::string headOf(const HttpResponse& r, bool closeAfter, bool streaming) const {
    std::string head = "HTTP/1.1 " + std::to_string(r.status) + " " + reasonOf(r.status) + "\r\n";
    head += "Content-Type: " + r.contentType + "\r\n";
    if (!streaming) {
      std::size_t length = 0;
      for (const auto& part : r.body) length += part->size();
      head += "Content-Length: " + std::to_string(length) + "\r\n";
    }
    for (const auto& [name, value] : server.defaultHeaders) head += name + ": " + value + "\r\n";
    for (const auto& [name, value] : r.headers) head += name + ": " + value + "\r\n";
    if (closeAfter) head += "Connection: close\r\n";
    return head + "\r\n";
  }

  // Writes what is left a piece at a time, each within its time; `then`
  // learns whether all of it was taken.
  // An answer's pieces are judged by their rate (judgeAnswers), with the
  // window as the longest any one may take; a stream's by their time.
  template <class Then>
  void drain(std::shared_ptr<Outgoing> out, Then then) {
    writing = true;
    stream.expires_after(state == State::Streaming ? server.limits.writePieceTime
                                                   : server.limits.rateWindow);
    net::async_write(stream, out->next(server.limits.writePieceBytes),
                     [c = shared_from_this(), out, then](beast::error_code ec, std::size_t n) {
                       if (!ec) {
                         c->progress = Clock::now();
                         c->written += n;
                         out->consume(n);
                         if (!out->done()) return c->drain(out, then);
                       }
                       c->writing = false;
                       // Judged on until the client has taken it all. A lease
                       // may own no pointer: it is known by its owner.
                       if (!ec && c->taking && out->lease.use_count() > 0 && c->unsent() > 0) {
                         c->heldLease = out->lease;
                         c->afterTaken = [then](Connection& self) { then(self, true); };
                         return c->watchTaken();
                       }
                       c->taking.reset();
                       then(*c, !ec);
                     });
  }

  // A client that sends again has most likely read what came before: it
  // is looked at then, not only when answers are next judged.
  void watchTaken() {
    stream.socket().async_wait(tcp::socket::wait_read,
                               [c = shared_from_this()](beast::error_code ec) {
                                 if (!ec && c->afterTaken && c->unsent() == 0) c->taken();
                               });
  }

  // The held answer is taken: its lease goes and the exchange goes on.
  void taken() {
    heldLease.reset();
    taking.reset();
    if (auto next = std::exchange(afterTaken, nullptr)) next(*this);
  }

  void write(HttpResponse r) {
    bool closeAfter = r.close || !keepAlive || server.stopping;
    auto out = std::make_shared<Outgoing>();
    out->parts.push_back(std::make_shared<const std::string>(headOf(r, closeAfter, false)));
    if (!headOnly)
      for (auto& p : r.body) out->parts.push_back(std::move(p));
    out->lease = std::move(r.lease);
    taking.emplace(Clock::now(), server.limits.rateWindow);
    written = 0;
    drain(out, [closeAfter](Connection& c, bool ok) {
      if (c.state != State::Answering) return;
      if (!ok || closeAfter || c.server.stopping) return c.close();
      c.readRequest();
    });
  }

  void beginStream(std::uint64_t id, std::shared_ptr<StreamSource> s) {
    if (state != State::Answering || id != exchange) return;
    state = State::Streaming;
    source = std::move(s);
    HttpResponse r;
    r.contentType = "text/event-stream";
    send(headOf(r, true, true));
    watchForEnd();
  }

  // A stream's client sends nothing more: whatever it sends is dropped,
  // and its end frees the stream's place at once.
  void watchForEnd() {
    stream.socket().async_read_some(net::buffer(dropped),
                                    [c = shared_from_this()](beast::error_code ec, std::size_t) {
                                      if (c->state != State::Streaming) return;
                                      if (ec) return c->close();
                                      c->watchForEnd();
                                    });
  }

  void send(std::string text) {
    auto out = std::make_shared<Outgoing>();
    out->parts.push_back(std::make_shared<const std::string>(std::move(text)));
    drain(out, [](Connection& c, bool ok) {
      if (c.state != State::Streaming) return;
      if (!ok) return c.close();
      c.pump(false);
    });
  }

  void pump(bool idle) {
    if (state != State::Streaming || writing) return;
    auto next = source->next(idle);
    if (!next) return close();
    if (!next->empty()) send(std::move(*next));
  }

  void close() {
    if (state == State::Closed) return;
    state = State::Closed;
    source.reset();
    heldLease.reset();
    afterTaken = nullptr;
    beast::error_code ec;
    stream.socket().shutdown(tcp::socket::shutdown_both, ec);
    stream.socket().close(ec);
    auto& s = server;
    s.connections.erase(self);  // may drop the last owner but one: `c` of the caller
    if (s.stopping && s.connections.empty()) s.ioc.stop();
  }
};

void HttpServer::Impl::accept() {
  acceptor.async_accept([this](beast::error_code ec, tcp::socket socket) {
    if (stopping) return;
    if (!ec) {
      if (connections.size() >= limits.maxConnections) makeRoom();
      if (connections.size() < limits.maxConnections) {
        auto c = std::make_shared<Connection>(*this, std::move(socket));
        connections.push_front(c);
        c->self = connections.begin();
        c->readRequest();
      } else {
        beast::error_code ignored;
        socket.close(ignored);  // every connection is busy answering
      }
    }
    accept();
  });
}

bool HttpServer::Impl::makeRoom() {
  // First a connection that has sent nothing of a request (the longest
  // idle), then one slow to send its request, then the answer taken
  // slowest below the fair rate. An answer moving at the fair rate keeps
  // its place; the desktop answers in bounded time; event streams have a
  // limit of their own.
  auto now = Clock::now();
  Connection *idle = nullptr, *sending = nullptr, *slowest = nullptr;
  double slowestRate = static_cast<double>(limits.fairRate);
  for (const auto& c : connections) {
    if (c->idle()) {
      if (!idle || c->progress < idle->progress) idle = c.get();
    } else if (c->state == Connection::State::Reading) {
      if (!sending || c->progress < sending->progress) sending = c.get();
    } else if (c->taking && c->state != Connection::State::Streaming) {
      // Just begun, an answer is judged as if it had gone on for a piece's
      // time: what the sockets' buffers took at once does not protect it.
      double rate = c->measure(now).perSecond(now, limits.writePieceTime);
      if (rate < slowestRate) {
        slowestRate = rate;
        slowest = c.get();
      }
    }
  }
  Connection* room = idle ? idle : sending ? sending : slowest;
  if (room) room->close();
  return room != nullptr;
}

void HttpServer::Impl::judgeAnswers() {
  judge.expires_after(std::chrono::milliseconds(250));
  judge.async_wait([this](beast::error_code ec) {
    if (ec || stopping) return;
    auto now = Clock::now();
    // Both may close a connection and so erase it: acted on after the walk.
    std::vector<std::shared_ptr<Connection>> slow, taken;
    for (const auto& c : connections) {
      if (!c->taking) continue;
      auto& rate = c->measure(now);
      if (!c->writing && c->unsent() == 0) {
        taken.push_back(c);
        continue;
      }
      if (rate.age(now) >= limits.writePieceTime &&
          rate.perSecond(now) < static_cast<double>(limits.slowestRate))
        slow.push_back(c);
    }
    for (const auto& c : slow) c->close();
    for (const auto& c : taken)
      if (c->state != Connection::State::Closed) c->taken();
    judgeAnswers();
  });
}

void HttpServer::Impl::pumpStreams(bool idle) {
  // pump() may close a connection and so erase it: walk a copy.
  std::vector<std::shared_ptr<Connection>> streams;
  for (const auto& c : connections)
    if (c->state == Connection::State::Streaming) streams.push_back(c);
  for (const auto& c : streams) c->pump(idle);
}

void HttpServer::Impl::tick() {
  ticker.expires_after(limits.streamTick);
  ticker.async_wait([this](beast::error_code ec) {
    if (ec || stopping) return;
    pumpStreams(true);
    tick();
  });
}

void HttpServer::Impl::shutdown() {
  if (stopping) return;
  stopping = true;
  beast::error_code ignored;
  acceptor.close(ignored);
  ticker.cancel();
  judge.cancel();
  // An answer under way is written (and its connection then closes); no
  // new request is read, and streams end now. An answer wholly in the
  // socket's queue is delivered from there after the close.
  auto all = connections;
  for (const auto& c : all)
    if (c->state != Connection::State::Answering || c->afterTaken) c->close();
  if (connections.empty()) return ioc.stop();
  stopTimer.expires_after(limits.stopGrace);
  stopTimer.async_wait([this](beast::error_code) {
    auto left = connections;
    for (const auto& c : left) c->close();
    ioc.stop();
  });
}

void Responder::send(HttpResponse response) const {
  if (exchange_->answered.exchange(true)) return;
  auto server = exchange_->server.lock();
  if (!server) return;
  server->post([ex = exchange_, r = std::move(response)]() mutable {
    if (auto c = ex->connection.lock()) c->answer(ex->id, std::move(r));
  });
}

void Responder::stream(std::unique_ptr<StreamSource> source) const {
  if (exchange_->answered.exchange(true)) return;
  auto server = exchange_->server.lock();
  if (!server) return;
  std::shared_ptr<StreamSource> shared(std::move(source));
  server->post([ex = exchange_, shared]() {
    auto c = ex->connection.lock();
    if (!c) return;
    c->beginStream(ex->id, shared);
  });
}

void Responder::fallbackAfter(std::chrono::milliseconds delay,
                              std::function<std::optional<HttpResponse>()> fallback) const {
  auto server = exchange_->server.lock();
  if (!server) return;
  std::weak_ptr<HttpServer::Impl> weak = server;
  server->post([weak, ex = exchange_, delay, fallback = std::move(fallback)]() mutable {
    auto s = weak.lock();
    if (!s) return;
    auto timer = std::make_shared<net::steady_timer>(s->ioc, delay);
    timer->async_wait([timer, ex, fallback = std::move(fallback)](beast::error_code ec) {
      if (ec || ex->answered.load()) return;
      if (auto r = fallback()) Responder(ex).send(std::move(*r));
    });
  });
}

HttpServer::HttpServer(HttpLimits limits, Handler handler, Headers defaultHeaders)
    : impl_(std::make_shared<Impl>(limits, std::move(handler), std::move(defaultHeaders))) {}

HttpServer::~HttpServer() {
  {
    std::lock_guard<std::mutex> lock(impl_->postMutex);
    impl_->alive = false;
  }
  impl_->ioc.stop();
}

bool HttpServer::bind(int port) {
  beast::error_code ec;
  tcp::endpoint endpoint(net::ip::make_address("127.0.0.1"), static_cast<unsigned short>(port));
  auto& a = impl_->acceptor;
  a.open(endpoint.protocol(), ec);
  if (!ec) a.set_option(net::socket_base::reuse_address(true), ec);
  if (!ec) a.bind(endpoint, ec);
  if (!ec) a.listen(net::socket_base::max_listen_connections, ec);
  if (ec) return false;
  impl_->port = a.local_endpoint(ec).port();
  return !ec;
}

int HttpServer::port() const { return impl_->port; }

void HttpServer::run() {
  impl_->post([impl = impl_.get()] {
    if (impl->stopping) return;
    impl->accept();
    impl->tick();
    impl->judgeAnswers();
  });
  impl_->ioc.run();
}

void HttpServer::stop() {
  impl_->post([impl = impl_.get()] { impl->shutdown(); });
}

void HttpServer::wakeStreams() {
  impl_->post([impl = impl_.get()] { impl->pumpStreams(false); });
}

}  // namespace sim::serve
