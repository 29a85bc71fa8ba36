#include "sim/interface_file.h"

#include <fstream>

namespace sim {

std::string InterfaceFile::where(const InterfaceLine& l, const std::string& message) const {
  return path + ":" + std::to_string(l.line) + ": " + message;
}

InterfaceFile loadInterfaceFile(const std::string& resourceDir, const std::string& name) {
  InterfaceFile file;
  file.path = resourceDir + "/" + name + ".ui";
  std::ifstream in(file.path);
  if (!in) throw InterfaceError(file.path + ":0: cannot open the interface file");
  std::string text;
  int lineNo = 0;
  while (std::getline(in, text)) {
    InterfaceLine line;
    line.line = ++lineNo;
    if (auto e = tokenize(text, &line.words)) throw InterfaceError(file.where(line, *e));
    if (line.words.empty()) continue;
    if (line.words[0].quoted) throw InterfaceError(file.where(line, "expected a declaration"));
    file.lines.push_back(std::move(line));
  }
  return file;
}

}  // namespace sim
