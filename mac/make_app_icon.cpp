// make_app_icon OUT.icns: writes the application icon, drawn by our own
// code, as the bundle's icon file, atomically (a temporary beside it, then
// rename). Runs on the build machine, whatever its system.
#include <cstdio>
#include <fstream>
#include <iostream>

#include "backend/icns.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_app_icon OUT.icns\n";
    return 2;
  }
  auto icns = backend::appIconICNS();
  if (!icns) {
    std::cerr << "make_app_icon: the icon cannot be made\n";
    return 1;
  }
  std::string target = argv[1], temporary = target + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(icns->data(), static_cast<std::streamsize>(icns->size()));
    if (!out.flush()) {
      std::cerr << temporary << ": cannot be written\n";
      std::remove(temporary.c_str());
      return 1;
    }
  }
  if (std::rename(temporary.c_str(), target.c_str()) != 0) {
    std::cerr << target << ": cannot be replaced\n";
    std::remove(temporary.c_str());
    return 1;
  }
  return 0;
}
