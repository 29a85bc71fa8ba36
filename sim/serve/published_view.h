// What the desktop's thread publishes for the server's thread: the latest
// picture and state, the trace so far and the session so far as a
// scenario, all of one moment. The server reads it; it never touches the
// desktop. Readers share the trace and the session (shared_text.h).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "sim/serve/shared_text.h"

namespace sim::serve {

class PublishedView {
 public:
  using Part = SharedText::Part;
  struct Update {
    std::uint64_t seq = 0;
    std::shared_ptr<const std::string> svg;
    nlohmann::json state;
    std::size_t from = 0;            // index of the first line below
    std::vector<std::string> lines;  // the trace from there on (a bounded batch)
    bool closed = false;
  };
  struct Moment {
    nlohmann::json state;
    std::vector<std::string> traceLines;     // written since the last moment
    std::vector<std::string> sessionLines;   // recorded since the last moment
    std::string sessionEnd;                  // the session's last line: "run NOW"
    std::shared_ptr<const std::string> svg;  // null: unchanged
  };

  // The session's first lines (its set-up), before anything is published.
  void setSessionHead(std::string head);
  // The desktop's thread: what the session is now.
  void publish(Moment moment);
  // What came after `seq` or after trace line `from`, at most `maxLines`
  // lines of it; nothing when nothing did.
  std::optional<Update> newer(std::uint64_t seq, std::size_t from, std::size_t maxLines) const;
  Update latest() const;
  std::vector<Part> trace() const;
  // The session as a scenario file that replays to trace().
  std::vector<Part> session() const;
  // The view ends (the server is stopping): newer() says so from now on.
  void close();
  // Called, on the publishing thread, after every change.
  void onChange(std::function<void()> listener);

 private:
  Update updateLocked(std::size_t from, std::size_t maxLines) const;
  void changed();

  mutable std::mutex mutex_;
  std::uint64_t seq_ = 0;
  std::shared_ptr<const std::string> svg_ = std::make_shared<const std::string>();
  nlohmann::json state_ = nlohmann::json::object();
  SharedText trace_, recorded_;
  Part sessionHead_ = std::make_shared<const std::string>();
  Part sessionEnd_ = std::make_shared<const std::string>();
  bool closed_ = false;
  std::mutex listenerMutex_;
  std::function<void()> listener_;
};

}  // namespace sim::serve
