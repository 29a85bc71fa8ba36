// Interface files (resources/NAME.ui): one declaration a line, words as in
// scenarios. The application framework reads them to create and wire the
// objects an interface describes.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "sim/tokens.h"

namespace sim {

struct InterfaceLine {
  int line = 0;
  std::vector<Token> words;
  const std::string& word(std::size_t i) const { return words.at(i).text; }
};

struct InterfaceFile {
  std::string path;
  std::vector<InterfaceLine> lines;
  // "PATH:LINE: message", for a line that makes no sense.
  std::string where(const InterfaceLine& l, const std::string& message) const;
};

class InterfaceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads RESOURCES/NAME.ui; throws InterfaceError when it is missing or malformed.
InterfaceFile loadInterfaceFile(const std::string& resourceDir, const std::string& name);

}  // namespace sim
