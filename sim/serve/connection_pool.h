// The server's threads, with a bound on the connections it serves at once.
// httplib hands every accepted connection to a task queue; this one serves
// at most `maxConnections` of them on its workers and gives any more to a
// small set of refusing threads, where every request is answered 429 at
// once (refusing() tells the request handler so). Each connection's work
// ends by itself: reads, writes and keep-alive have time limits.
#pragma once

#include <httplib.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace sim::serve {

class ConnectionPool final : public httplib::TaskQueue {
 public:
  ConnectionPool(std::size_t maxConnections, std::size_t refusers);
  ~ConnectionPool() override;
  void enqueue(std::function<void()> fn) override;
  void shutdown() override;
  // True on a refusing thread: the connection is one too many.
  static bool refusing();

 private:
  void work(bool refuser);

  std::size_t maxConnections_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> admitted_, refused_;
  std::size_t busy_ = 0;  // admitted connections being served
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace sim::serve
