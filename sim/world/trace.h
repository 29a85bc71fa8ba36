// The simulated desktop writes the shared trace (backend/trace.h).
#pragma once

#include "backend/trace.h"
#include "sim/world/run_queue.h"

namespace sim {

using backend::Event;
using backend::eventName;
using backend::formatSeconds;
using backend::quoted;
using backend::Trace;

}  // namespace sim
