// A small HTTP/1.1 server on 127.0.0.1 that bounds everything a client
// sends: the request line and header lines together, their number, the
// body whatever its transfer encoding, and the time a whole request may
// take. One thread does all the input and output, so a slow client holds
// a connection, never a thread. An answer is judged by the rate its client
// takes it at, over a window, so a client that does not read loses its
// connection and one that reads at a fair pace keeps it. When the
// connections run out, room is made by one that has sent nothing of a
// request, else one slow to send its request, else the slowest answer
// below the fair rate. Fields in a chunked body's trailer are refused:
// every field that counts comes before the body. Ranges are not served:
// every answer is the whole thing.
//
// The handler runs on the server's thread and answers through its
// Responder, at once or later from any thread.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sim::serve {

struct HttpLimits {
  std::size_t maxBodyBytes = 4096;                // 413, and the connection closes
  std::size_t maxHeaderBytes = 8192;              // request line and header lines: 431
  std::size_t maxHeaderLines = 64;                // 431
  std::size_t maxConnections = 128;               // open at once
  std::chrono::milliseconds requestTime{10'000};  // to send a whole request
  // An answer is judged by the bytes its client took over the last
  // `rateWindow` (or since it began): below `slowestRate` once it has gone
  // on for `writePieceTime`, its connection closes; at `fairRate` or more
  // it never makes room for another connection. An event stream takes
  // each piece within `writePieceTime`.
  std::size_t slowestRate = 32 * 1024;  // bytes a second
  std::size_t fairRate = 64 * 1024;     // bytes a second
  std::chrono::milliseconds rateWindow{10'000};
  std::size_t writePieceBytes = 64 * 1024;
  std::chrono::milliseconds writePieceTime{2'000};
  std::chrono::milliseconds streamTick{1'000};  // how often streams are asked when idle
  // At a stop, answers already given are written within this time, then
  // every connection closes, whatever its client does.
  std::chrono::milliseconds stopGrace{200};
};

struct HttpRequest {
  std::string method, target, path, query;
  std::vector<std::pair<std::string, std::string>> headers;  // names in lower case
  std::string body;
  std::string remoteAddress;

  const std::string* header(const std::string& lowerName) const;
  // The query parameter's value as sent (no percent-decoding).
  std::optional<std::string> queryValue(const std::string& name) const;
};

struct HttpResponse {
  using Part = std::shared_ptr<const std::string>;
  int status = 200;
  std::string contentType = "text/plain; charset=utf-8";
  std::vector<std::pair<std::string, std::string>> headers;
  // The body, in parts that may be shared with other answers.
  std::vector<Part> body;
  bool close = false;
  // Held until the client has taken the answer or it is given up: a
  // caller counts the answers in flight by it. It may own a null pointer.
  std::shared_ptr<const void> lease;

  static HttpResponse text(int status, const std::string& message);
  static HttpResponse of(int status, std::string contentType, std::string body);
};

// An event stream's source, asked on the server's thread what to send next
// whenever the server is woken and at every idle tick: text to send, ""
// for nothing yet, no value to end the stream.
class StreamSource {
 public:
  virtual ~StreamSource() = default;
  virtual std::optional<std::string> next(bool idleTick) = 0;
};

class HttpServer;

// One request's way back; copies share it, the first answer counts.
class Responder {
 public:
  void send(HttpResponse response) const;
  // Turns the connection into an event stream (Content-Type
  // text/event-stream) until the source ends or the client goes.
  void stream(std::unique_ptr<StreamSource> source) const;
  // Calls `fallback` on the server's thread after `delay` unless the
  // request was answered by then; what it returns, if anything, is sent.
  void fallbackAfter(std::chrono::milliseconds delay,
                     std::function<std::optional<HttpResponse>()> fallback) const;

  struct Exchange;
  explicit Responder(std::shared_ptr<Exchange> exchange) : exchange_(std::move(exchange)) {}

 private:
  std::shared_ptr<Exchange> exchange_;
};

class HttpServer {
 public:
  using Handler = std::function<void(const HttpRequest&, const Responder&)>;
  using Headers = std::vector<std::pair<std::string, std::string>>;
  // `defaultHeaders` go with every answer.
  HttpServer(HttpLimits limits, Handler handler, Headers defaultHeaders = {});
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Binds 127.0.0.1:port (0: a free port); false when that fails.
  bool bind(int port);
  int port() const;
  // Serves until stop(); run it on a thread of its own.
  void run();
  // Closes every connection and makes run() return; any thread. Answers
  // given before it are written first, for limits.stopGrace at most.
  void stop();
  // Asks every event stream for news; any thread.
  void wakeStreams();

  struct Impl;

 private:
  std::shared_ptr<Impl> impl_;
};

}  // namespace sim::serve
