// One agent process's Accessibility on a world of its own, for the tests
// of the simulated elements and of their waits.
#pragma once

#include <sstream>

#include "sim/services/sim_accessibility.h"

namespace sim_ax_test {

struct AxOnAWorld {
  std::ostringstream out;
  sim::RunQueue queue;
  sim::Trace trace{out, queue};
  sim::World world{trace};
  sim::DefaultsStore defaults{trace};
  sim::SessionContext ctx{world, queue, trace, defaults};
  sim::SimAccessibility ax{ctx};
};

}  // namespace sim_ax_test
