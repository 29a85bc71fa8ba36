// The trace of the agent on a real Mac: with VISTREL_TRACE=1 in the
// environment, what the agent asks of the platform is written to standard
// error in the simulated desktop's trace format, times in seconds since
// launch, so that a run can be compared with a scenario's expected trace.
#pragma once

#include "backend/trace.h"

namespace mac {

// The trace, or null when it is not asked for. Decided once, at first use.
backend::Trace* trace();
// The trace, or the muted one when it is not asked for: events are reported
// unconditionally, and what is costly to learn for a line is asked only
// while tracer().on().
backend::Trace& tracer();

}  // namespace mac
