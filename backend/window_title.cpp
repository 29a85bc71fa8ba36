#include "backend/window_title.h"

namespace backend {

std::string windowTitle(const std::string& name) {
  static const std::string kSuffix = "Controller";
  if (name.size() > kSuffix.size() && name.ends_with(kSuffix))
    return name.substr(0, name.size() - kSuffix.size());
  return name;
}

}  // namespace backend
