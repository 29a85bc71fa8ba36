#include "mac/mac_platform.h"

#include "mac/mac_trace.h"

namespace mac {

MacPlatform::MacPlatform() : kvo_(trace()) {}

MacPlatform::~MacPlatform() = default;

}  // namespace mac
