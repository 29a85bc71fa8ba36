// Files among the application's resources, named by the agent: a name that
// could leave the resources folder (empty, "." or "..", or holding '/')
// never names a file.
#pragma once

#include <string>

namespace backend {

// DIR/NAME EXTENSION when the folder holds it as a regular file; empty
// otherwise, and for no folder.
std::string resourceFile(const std::string& dir, const std::string& name,
                         const std::string& extension);

}  // namespace backend
