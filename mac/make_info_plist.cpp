// vistrel-info-plist INFO.txt Info.plist: writes the bundle's property list
// from its information file, atomically (a temporary beside it, then rename).
#include <cstdio>
#include <fstream>
#include <iostream>

#include "backend/info_file.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: vistrel-info-plist Info.txt Info.plist\n";
    return 2;
  }
  backend::InfoDictionary info;
  if (auto error = backend::readInfoFile(argv[1], &info)) {
    std::cerr << *error << "\n";
    return 1;
  }
  std::string target = argv[2], temporary = target + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << backend::infoPlist(info);
    if (!out.flush()) {
      std::cerr << temporary << ": cannot be written\n";
      return 1;
    }
  }
  if (std::rename(temporary.c_str(), target.c_str()) != 0) {
    std::cerr << target << ": cannot be replaced\n";
    return 1;
  }
  return 0;
}
