// The title bar text of a window made from an interface file, which is
// named after its controller class.
#pragma once

#include <string>

namespace backend {

// The name without a trailing "Controller" ("SettingsController" shows
// "Settings"); a name that would be left empty stays as it is.
std::string windowTitle(const std::string& name);

}  // namespace backend
