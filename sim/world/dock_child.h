// A further child of the Dock's application element, for odd Dock states:
// the world keeps them, and the scenario's `dock child` lines name them.
#pragma once

#include <string>

namespace sim {

struct DockChild {
  enum Kind { Identifier, NoIdentifier, NumberIdentifier };
  Kind kind = NoIdentifier;
  std::string identifier;
  long number = 0;
  bool operator==(const DockChild&) const = default;
};

}  // namespace sim
