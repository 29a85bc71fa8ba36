// The agent launched on a simulated desktop built from scenario text, for
// tests that call AppDelegate or step the clock themselves.
#pragma once

#include <memory>
#include <sstream>
#include <string>

#include "app/app_delegate.h"
#include "app/entry.h"
#include "sim/desktop/desktop.h"

class AgentOnDesktop {
 public:
  explicit AgentOnDesktop(const std::string& scenarioText, std::ostream* out = nullptr)
      : desktop_(parse(scenarioText), out ? *out : trace_,
                 {agentMain, VISTREL_RESOURCE_DIR, {}, {}}) {
    desktop_.begin();
  }

  sim::Desktop& desktop() { return desktop_; }
  sim::World& world() { return desktop_.world(); }
  AppDelegate& delegate() {
    return *dynamic_cast<AppDelegate*>(desktop_.session()->simApplication().delegate());
  }
  // The trace written since the last call.
  std::string newTrace() {
    std::string all = trace_.str();
    std::string fresh = all.substr(consumed_);
    consumed_ = all.size();
    return fresh;
  }

 private:
  static sim::Scenario parse(const std::string& text) {
    std::istringstream in(text);
    return sim::parseScenario(in, "test.scn");
  }

  std::ostringstream trace_;
  sim::Desktop desktop_;
  std::size_t consumed_ = 0;
};
