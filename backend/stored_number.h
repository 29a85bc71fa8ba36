// A number read back from the user defaults becomes a preference value as
// Foundation describes it: a CFBoolean is a boolean, the @encode letter of
// the stored value tells floating point from integers, and an unsigned
// integer too large for 64 signed bits saturates rather than wraps.
#pragma once

#include <cstdint>
#include <string>

#include "platform/defaults.h"

namespace backend {

// What an NSNumber reports of itself.
struct StoredNumber {
  bool isBoolean = false;  // CFGetTypeID is CFBooleanGetTypeID
  std::string objCType;    // objCType
  std::int64_t signedValue = 0;
  std::uint64_t unsignedValue = 0;
  double doubleValue = 0;
};

platform::PrefValue prefValueOf(const StoredNumber& number);

}  // namespace backend
