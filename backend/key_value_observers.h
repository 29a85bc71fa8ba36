// Key-value observing of the agent's interface objects (NibObject keys): an
// object announces a change with willChangeValueForKey / didChangeValueForKey,
// and the observers of that key are told after the did-change announcement.
// The same book serves both desktops.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "backend/trace.h"
#include "platform/application.h"

namespace backend {

class KeyValueObservers final : public platform::KeyValueObserving {
 public:
  // With a trace, each did-change announcement writes `kvo.change KEY`.
  explicit KeyValueObservers(Trace* trace) : trace_(trace) {}
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
    bool removed = false;
  };
  Trace* trace_;
  // Shared, so that an announcement in progress sees an observation removed
  // by an observer told before it.
  std::vector<std::shared_ptr<Observation>> observations_;
};

}  // namespace backend
