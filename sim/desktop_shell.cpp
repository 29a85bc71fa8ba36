#include "sim/desktop.h"

namespace sim {

void Desktop::applyShellInput(const Command& c) {
  if (c.is("login-items")) applyLoginItemsInput(c);
}

}  // namespace sim
