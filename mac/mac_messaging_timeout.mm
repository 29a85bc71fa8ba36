// How long the agent's Accessibility messages wait for an answer: the agent
// sets it on the system-wide element (its default) and on the Dock's
// elements (their own).
#include "mac/mac_accessibility.h"

#include <ApplicationServices/ApplicationServices.h>

namespace mac {

platform::AXError MacAccessibility::setMessagingTimeout(const platform::UIElement* e,
                                                        float seconds) {
  // A handle of no element is refused by the system as an illegal argument.
  auto element = static_cast<AXUIElementRef>(MacElement::handleOf(e));
  return AXUIElementSetMessagingTimeout(element, seconds);
}

}  // namespace mac
