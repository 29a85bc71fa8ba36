// What the source files of UIElementUtilities share; not part of its surface.
#pragma once

#include <string>

#include "platform/platform.h"

namespace axutil_internal {

inline platform::Accessibility& ax() { return platform::current().accessibility(); }

// What the platform's formatter prints for %@: the object's description,
// "(null)" for a missing object.
inline std::string textOf(const platform::Object* object) {
  return object ? object->description() : "(null)";
}

}  // namespace axutil_internal
