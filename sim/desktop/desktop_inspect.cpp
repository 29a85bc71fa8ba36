// `inspect`: the full report of the element under the pointer, written by
// the agent's own description code through the platform boundary, so that
// it shows what the agent would see (nothing past the element itself while
// the agent is not trusted).
#include "axutil/ui_element_utilities.h"
#include "sim/desktop/desktop.h"

namespace sim {

void Desktop::inspect() {
  if (!session_) {
    trace_.emitBlock(Event::Inspect, "no agent running");
    return;
  }
  auto element = session_->simAccessibility().elementAt(world_.cocoaToCarbon(world_.pointer));
  if (!element) {
    trace_.emitBlock(Event::Inspect, "none");
    return;
  }
  // The calls are the desktop's, made on the agent's behalf: they do not
  // count as the agent's own, nor do they wait for a hung or slow process.
  auto agentCalls = world_.axCalls;
  session_->simAccessibility().answerAtOnce(true);
  std::string report = UIElementUtilities::stringDescriptionOfUIElement(element.get());
  session_->simAccessibility().answerAtOnce(false);
  world_.axCalls = agentCalls;
  trace_.emitBlock(Event::Inspect, report);
}

}  // namespace sim
