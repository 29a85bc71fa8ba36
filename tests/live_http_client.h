// A raw HTTP/1.1 client for the live server's tests, on 127.0.0.1: it sends
// exactly the bytes a test gives (so that it can misbehave as a hostile
// client would), and every wait has a deadline.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace live_test {

using Deadline = std::chrono::steady_clock::time_point;
inline Deadline within(std::chrono::milliseconds ms) {
  return std::chrono::steady_clock::now() + ms;
}
inline constexpr std::chrono::milliseconds kWait{5000};  // the longest any one answer may take

using Headers = std::vector<std::pair<std::string, std::string>>;

struct Reply {
  int status = 0;
  std::map<std::string, std::string> headers;  // names in lower case
  std::string body;
  std::string header(const std::string& name) const {
    auto it = headers.find(name);
    return it == headers.end() ? "" : it->second;
  }
};

class Socket {
 public:
  // A `receiveBuffer` in bytes makes a client that reads slowly stall the
  // server's writes soon.
  explicit Socket(int port, int receiveBuffer = 0) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd_ >= 0 && receiveBuffer > 0)
      ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd_ >= 0 && ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) close();
  }
  ~Socket() { close(); }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;

  bool ok() const { return fd_ >= 0; }
  void close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

  // False when the server has closed or reset the connection.
  bool send(std::string_view bytes) {
    while (!bytes.empty() && fd_ >= 0) {
      auto n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return fd_ >= 0;
  }

  // One answer; its body by Content-Length, or up to the end of the
  // connection when it has none.
  std::optional<Reply> reply(Deadline deadline) {
    std::size_t end;
    while ((end = received.find("\r\n\r\n")) == std::string::npos)
      if (fill(deadline) <= 0) return std::nullopt;
    Reply r;
    std::string head = received.substr(0, end);
    received.erase(0, end + 4);
    if (head.rfind("HTTP/1.1 ", 0) != 0 || head.size() < 12) return std::nullopt;
    r.status = std::stoi(head.substr(9, 3));
    std::size_t at = head.find("\r\n");
    while (at != std::string::npos) {
      std::size_t next = head.find("\r\n", at + 2);
      std::string line = head.substr(at + 2, next == std::string::npos ? next : next - at - 2);
      auto colon = line.find(':');
      std::string name = line.substr(0, colon);
      for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      if (colon != std::string::npos)
        r.headers[name] = line.substr(line.find_first_not_of(' ', colon + 1));
      at = next;
    }
    if (r.headers.count("content-length")) {
      std::size_t length = std::stoul(r.headers["content-length"]);
      while (received.size() < length)
        if (fill(deadline) <= 0) return std::nullopt;
      r.body = received.substr(0, length);
      received.erase(0, length);
    } else {
      while (fill(deadline) > 0) {
      }
      r.body = std::move(received);
      received.clear();
    }
    return r;
  }

  // Reads until what was received holds `text`.
  bool readUntil(const std::string& text, Deadline deadline) {
    while (received.find(text) == std::string::npos)
      if (fill(deadline) <= 0) return false;
    return true;
  }

  // Reads until `most` bytes in all were received (a piece more at most),
  // the connection ended, or the deadline.
  void readUpTo(std::size_t most, Deadline deadline) {
    while (received.size() < most)
      if (fill(deadline) <= 0) return;
  }

  // Whether the server closes the connection by the deadline (what it sends is kept).
  bool closedBy(Deadline deadline) {
    for (;;) {
      int n = fill(deadline);
      if (n == 0) return true;
      if (n < 0) return false;
    }
  }

  std::string received;

 private:
  // Bytes read, 0 when the connection ended, -1 at the deadline.
  int fill(Deadline deadline) {
    if (fd_ < 0) return 0;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return -1;
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) return -1;
    char buf[16384];
    auto n = ::recv(fd_, buf, sizeof buf, 0);
    if (n <= 0) return 0;  // closed or reset
    received.append(buf, static_cast<std::size_t>(n));
    return static_cast<int>(n);
  }

  int fd_ = -1;
};

// A request as a well-behaved client writes it.
inline std::string request(const std::string& method, const std::string& target, int port,
                           const Headers& headers = {}, const std::string& body = "") {
  std::string r =
      method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n";
  for (const auto& [name, value] : headers) r += name + ": " + value + "\r\n";
  if (method == "POST") r += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  return r + "\r\n" + body;
}

// One request on a connection of its own.
inline std::optional<Reply> exchange(int port, const std::string& raw) {
  Socket s(port);
  if (!s.ok() || !s.send(raw)) return std::nullopt;
  return s.reply(within(kWait));
}

}  // namespace live_test
