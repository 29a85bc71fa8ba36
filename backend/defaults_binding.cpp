#include "backend/defaults_binding.h"

namespace backend {

std::optional<std::string> defaultsKeyPath(const std::string& key) {
  if (key.empty() || key.find_first_of(".@") != std::string::npos) return std::nullopt;
  return "values." + key;
}

}  // namespace backend
