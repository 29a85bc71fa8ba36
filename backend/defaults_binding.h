// Controls bound to the user defaults on the real desktop go through the
// shared user-defaults controller, by the key path "values.KEY".
#pragma once

#include <optional>
#include <string>

namespace backend {

// "values.KEY", or nothing for a key that key-value coding would not take
// as one key: empty, or with a dot (a step into a nested value) or an @ (a
// collection operator), which the controller answers with an exception.
std::optional<std::string> defaultsKeyPath(const std::string& key);

}  // namespace backend
