#include "sim/desktop.h"

namespace sim {

void Desktop::setUpLoginItems() {}

void Desktop::applyLoginItemsInput(const Command&) {}

}  // namespace sim
