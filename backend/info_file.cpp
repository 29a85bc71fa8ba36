#include "backend/info_file.h"

#include <fstream>
#include <set>
#include <sstream>
#include <vector>

#include "backend/words.h"

namespace backend {

namespace {

// The information keys the system reads as booleans.
bool isBooleanKey(const std::string& key) {
  static const std::set<std::string> kKeys = {
      "LSUIElement", "LSBackgroundOnly", "NSHighResolutionCapable",
      "NSSupportsAutomaticGraphicsSwitching", "SUEnableAutomaticChecks"};
  return kKeys.count(key) > 0;
}

bool isTrue(const std::string& value) {
  return value == "1" || value == "YES" || value == "yes" || value == "true";
}

std::string xmlEscaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace

std::optional<std::string> parseInfoText(const std::string& path, const std::string& text,
                                         InfoDictionary* info) {
  InfoDictionary read;
  std::istringstream in(text);
  std::string line;
  int lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    auto where = path + ":" + std::to_string(lineNo) + ": ";
    for (unsigned char c : line)
      if ((c < 0x20 && c != '\t' && c != '\r') || c == 0x7f) return where + "control character";
    std::vector<Token> tokens;
    if (auto e = tokenize(line, &tokens)) return where + *e;
    if (tokens.empty()) continue;
    if (tokens.size() != 2 || tokens[0].quoted || !tokens[1].quoted)
      return where + "expected KEY \"VALUE\"";
    if (!read.emplace(tokens[0].text, tokens[1].text).second)
      return where + tokens[0].text + " is given twice";
  }
  *info = std::move(read);
  return std::nullopt;
}

std::optional<std::string> readInfoFile(const std::string& path, InfoDictionary* info) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return path + ":0: cannot be read";
  std::ostringstream text;
  text << in.rdbuf();
  return parseInfoText(path, text.str(), info);
}

std::string infoPlist(const InfoDictionary& info) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
      "<plist version=\"1.0\">\n<dict>\n";
  for (const auto& [key, value] : info) {
    out += "\t<key>" + xmlEscaped(key) + "</key>\n";
    if (isBooleanKey(key))
      out += isTrue(value) ? "\t<true/>\n" : "\t<false/>\n";
    else
      out += "\t<string>" + xmlEscaped(value) + "</string>\n";
  }
  return out + "</dict>\n</plist>\n";
}

}  // namespace backend
