// Key-value observing of the agent's objects: didChangeValueForKey traces
// `kvo.change KEY` and tells that key's observers.
#pragma once

#include <vector>

#include "platform/application.h"
#include "sim/session_context.h"

namespace sim {

class SimKeyValueObserving final : public platform::KeyValueObserving {
 public:
  explicit SimKeyValueObserving(SessionContext& ctx) : ctx_(ctx) {}
  void addObserver(platform::NibObject* object, const std::string& key,
                   std::function<void()> onChange) override;
  void removeObservers(platform::NibObject* object) override;
  void willChangeValueForKey(platform::NibObject* object, const std::string& key) override;
  void didChangeValueForKey(platform::NibObject* object, const std::string& key) override;

 private:
  struct Observation {
    platform::NibObject* object;
    std::string key;
    std::function<void()> onChange;
  };
  SessionContext& ctx_;
  std::vector<Observation> observations_;
};

}  // namespace sim
