// The bundle's information, Info.txt: one KEY "VALUE" a line. It is the one
// source of the bundle's information: the simulated desktop reads it as is,
// and the macOS build turns it into Contents/Info.plist.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace backend {

using InfoDictionary = std::map<std::string, std::string>;

// Reads the file at PATH into INFO; an error ("PATH:LINE: message") when it
// cannot be read or is damaged, and INFO is then left as it was.
std::optional<std::string> readInfoFile(const std::string& path, InfoDictionary* info);
// The same from text in memory.
std::optional<std::string> parseInfoText(const std::string& path, const std::string& text,
                                         InfoDictionary* info);

// The information as an XML property list (Info.plist). Values are strings,
// except the keys the system reads as booleans (LSUIElement and the like),
// written <true/> or <false/>.
std::string infoPlist(const InfoDictionary& info);

}  // namespace backend
