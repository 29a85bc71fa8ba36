#include "sim/desktop.h"

namespace sim {

void Desktop::inspect() {}

}  // namespace sim
