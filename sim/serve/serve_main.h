// `vistrel-desktop --serve [--port N] [SCENARIO.scn]`: the simulated desktop
// live in the browser, until SIGINT or SIGTERM.
#pragma once

#include <optional>
#include <string>

#include "sim/desktop/desktop.h"

namespace sim::serve {

inline constexpr int kDefaultPort = 8377;

// The exit status: 0 after a clean stop, kExitChangesNotKept when a stored
// file lacks changes made, 2 for a malformed scenario, 1 when the port
// cannot be had.
int serveDesktop(DesktopOptions options, const std::optional<std::string>& scenarioPath, int port);

}  // namespace sim::serve
