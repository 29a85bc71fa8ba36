#include "backend/resource_files.h"

#include <filesystem>
#include <system_error>

namespace backend {

std::string resourceFile(const std::string& dir, const std::string& name,
                         const std::string& extension) {
  if (dir.empty() || name.empty() || name == "." || name == ".." ||
      name.find('/') != std::string::npos)
    return {};
  std::string path = dir + "/" + name + extension;
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec) ? path : std::string();
}

}  // namespace backend
