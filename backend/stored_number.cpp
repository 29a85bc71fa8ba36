#include "backend/stored_number.h"

#include <limits>

namespace backend {

platform::PrefValue prefValueOf(const StoredNumber& number) {
  if (number.isBoolean) return number.signedValue != 0;
  // One letter for scalars; anything longer (a structure) or unknown keeps
  // its value as a double rather than losing its fraction.
  const char letter = number.objCType.size() == 1 ? number.objCType[0] : '\0';
  switch (letter) {
    case 'B': return number.signedValue != 0;
    case 'c':
    case 's':
    case 'i':
    case 'l':
    case 'q': return number.signedValue;
    case 'C':
    case 'S':
    case 'I':
    case 'L':
    case 'Q': {
      constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
      return static_cast<std::int64_t>(number.unsignedValue > kMax ? kMax : number.unsignedValue);
    }
    default: return number.doubleValue;
  }
}

}  // namespace backend
