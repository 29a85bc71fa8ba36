// `--serve` in a build without the live server's libraries.
#include <iostream>

#include "sim/serve/serve_main.h"

namespace sim::serve {

int serveDesktop(DesktopOptions, const std::optional<std::string>&, int) {
  std::cerr << "vistrel-desktop: this build has no live server (configured with "
               "VISTREL_SERVE=OFF or without Boost)\n";
  return 2;
}

}  // namespace sim::serve
