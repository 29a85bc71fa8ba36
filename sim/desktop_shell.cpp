#include "sim/desktop.h"

namespace sim {

void Desktop::applyShellInput(const Command&) {}

}  // namespace sim
