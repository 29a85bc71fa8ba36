#include "sim/serve/connection_pool.h"

namespace sim::serve {

namespace {
thread_local bool tRefusing = false;
}

ConnectionPool::ConnectionPool(std::size_t maxConnections, std::size_t refusers)
    : maxConnections_(maxConnections) {
  for (std::size_t i = 0; i < maxConnections; ++i) threads_.emplace_back([this] { work(false); });
  for (std::size_t i = 0; i < refusers; ++i) threads_.emplace_back([this] { work(true); });
}

ConnectionPool::~ConnectionPool() { shutdown(); }

bool ConnectionPool::refusing() { return tRefusing; }

void ConnectionPool::enqueue(std::function<void()> fn) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (busy_ + admitted_.size() < maxConnections_)
      admitted_.push_back(std::move(fn));
    else
      refused_.push_back(std::move(fn));
  }
  wake_.notify_all();
}

void ConnectionPool::shutdown() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_ && threads_.empty()) return;
    stopping_ = true;
  }
  wake_.notify_all();
  for (auto& t : threads_)
    if (t.joinable()) t.join();
  threads_.clear();
}

void ConnectionPool::work(bool refuser) {
  tRefusing = refuser;
  auto& jobs = refuser ? refused_ : admitted_;
  for (;;) {
    std::function<void()> fn;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [&] { return stopping_ || !jobs.empty(); });
      // Queued connections are still served on the way out: each closes
      // its socket when done.
      if (jobs.empty()) return;
      fn = std::move(jobs.front());
      jobs.pop_front();
      if (!refuser) ++busy_;
    }
    fn();
    if (!refuser) {
      std::lock_guard<std::mutex> lock(mutex_);
      --busy_;
    }
  }
}

}  // namespace sim::serve
