#include "sim/serve/line_outlet.h"

#include <errno.h>
#include <limits.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>

namespace sim::serve {

namespace {
// How long the writer waits on the stream before it looks at the time again.
constexpr int kPollMillis = 20;
}  // namespace

LineOutlet::LineOutlet(int fd, std::size_t maxBytes, std::function<void()> firstDrop)
    : fd_(fd), maxBytes_(maxBytes), firstDrop_(std::move(firstDrop)) {
  thread_ = std::thread([this] { run(); });
}

LineOutlet::~LineOutlet() { close(std::chrono::milliseconds(0)); }

void LineOutlet::push(std::string_view line) {
  bool first = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closing_ || broken_ || pending_.size() + line.size() + 1 > maxBytes_) {
      first = dropped_++ == 0 && !closing_;
    } else {
      pending_.append(line);
      pending_ += '\n';
    }
  }
  if (first && firstDrop_) firstDrop_();
  wake_.notify_one();
}

void LineOutlet::beginClose(std::chrono::milliseconds grace) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!closing_) {
      closing_ = true;
      deadline_ = std::chrono::steady_clock::now() + grace;
    }
  }
  wake_.notify_one();
}

void LineOutlet::close(std::chrono::milliseconds grace) {
  beginClose(grace);
  if (thread_.joinable()) thread_.join();
}

void LineOutlet::run() {
  for (;;) {
    std::string out;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [&] { return closing_ || !pending_.empty(); });
      if (pending_.empty()) return;  // closing, all written
      out.swap(pending_);
    }
    if (!writeOut(out)) {
      bool first = false, closing = false;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        // Lines given up on count as dropped too.
        auto lines = std::count(out.begin(), out.end(), '\n') +
                     std::count(pending_.begin(), pending_.end(), '\n');
        first = dropped_.fetch_add(static_cast<std::uint64_t>(lines)) == 0 && lines > 0;
        pending_.clear();
        closing = closing_;
      }
      if (first && firstDrop_ && !closing) firstDrop_();
      if (closing) return;
    }
  }
}

bool LineOutlet::writeOut(std::string_view text) {
  while (!text.empty()) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (closing_ && std::chrono::steady_clock::now() >= deadline_) return false;
    }
    // Only once the stream has room, and no more than a pipe takes in one
    // piece then: the write never blocks, so closing never waits for it.
    pollfd p{fd_, POLLOUT, 0};
    int ready = ::poll(&p, 1, kPollMillis);
    if (ready < 0 && errno != EINTR) break;
    if (ready <= 0) continue;
    if (p.revents & (POLLERR | POLLNVAL)) break;
    auto n = ::write(fd_, text.data(), std::min<std::size_t>(text.size(), PIPE_BUF));
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) break;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  if (text.empty()) return true;
  // The stream is gone (its reader closed it): nothing more goes to it.
  if (std::lock_guard<std::mutex> lock(mutex_); !closing_) broken_ = true;
  return false;
}

OutletBuffer::int_type OutletBuffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  char ch = traits_type::to_char_type(c);
  xsputn(&ch, 1);
  return c;
}

std::streamsize OutletBuffer::xsputn(const char* s, std::streamsize n) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (std::streamsize i = 0; i < n; ++i) {
    if (s[i] == '\n' || partial_.size() >= kMaxLine) {
      outlet_.push(partial_);
      partial_.clear();
      if (s[i] == '\n') continue;
    }
    partial_ += s[i];
  }
  return n;
}

}  // namespace sim::serve
