// Numbers read back from the user defaults keep their kind: a stored
// boolean stays a boolean, integers stay exact, and floating point keeps
// its fraction, so that presence and the typed reads agree with the store.
#include "backend/stored_number.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using backend::prefValueOf;
using backend::StoredNumber;

StoredNumber number(const char* type, std::int64_t s, std::uint64_t u, double d) {
  StoredNumber n;
  n.objCType = type;
  n.signedValue = s;
  n.unsignedValue = u;
  n.doubleValue = d;
  return n;
}

TEST(StoredNumber, CFBooleansAreBooleansWhateverTheirEncoding) {
  StoredNumber yes = number("c", 1, 1, 1.0);
  yes.isBoolean = true;
  EXPECT_EQ(prefValueOf(yes), platform::PrefValue(true));
  StoredNumber no = number("c", 0, 0, 0.0);
  no.isBoolean = true;
  EXPECT_EQ(prefValueOf(no), platform::PrefValue(false));
  EXPECT_EQ(prefValueOf(number("B", 1, 1, 1.0)), platform::PrefValue(true));
}

TEST(StoredNumber, ACharThatIsNoCFBooleanIsAnInteger) {
  EXPECT_EQ(prefValueOf(number("c", 1, 1, 1.0)), platform::PrefValue(std::int64_t{1}));
}

TEST(StoredNumber, SignedIntegersAreExact) {
  for (const char* type : {"s", "i", "l", "q"})
    EXPECT_EQ(prefValueOf(number(type, -3, 0, -3.0)), platform::PrefValue(std::int64_t{-3}))
        << type;
  const std::int64_t big = std::numeric_limits<std::int64_t>::max();
  // A double could not hold this one exactly.
  EXPECT_EQ(prefValueOf(number("q", big, static_cast<std::uint64_t>(big), 9.2e18)),
            platform::PrefValue(big));
}

TEST(StoredNumber, UnsignedIntegersSaturateAboveTheSignedRange) {
  EXPECT_EQ(prefValueOf(number("Q", 7, 7, 7.0)), platform::PrefValue(std::int64_t{7}));
  EXPECT_EQ(prefValueOf(number("Q", -1, std::numeric_limits<std::uint64_t>::max(), 1.8e19)),
            platform::PrefValue(std::numeric_limits<std::int64_t>::max()));
  for (const char* type : {"C", "S", "I", "L"})
    EXPECT_EQ(prefValueOf(number(type, 200, 200, 200.0)), platform::PrefValue(std::int64_t{200}))
        << type;
}

TEST(StoredNumber, FloatingPointKeepsItsFraction) {
  EXPECT_EQ(prefValueOf(number("f", 0, 0, 0.1f)), platform::PrefValue(static_cast<double>(0.1f)));
  EXPECT_EQ(prefValueOf(number("d", 2, 2, 2.5)), platform::PrefValue(2.5));
}

TEST(StoredNumber, UnknownOrCompoundEncodingsReadAsDoubles) {
  EXPECT_EQ(prefValueOf(number("", 2, 2, 2.5)), platform::PrefValue(2.5));
  EXPECT_EQ(prefValueOf(number("{?=ii}", 2, 2, 2.5)), platform::PrefValue(2.5));
}

}  // namespace
