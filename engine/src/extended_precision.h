// The arithmetic the yen figures are computed in: x87 extended precision,
// a 64-bit mantissa. Every interest formula and the fixed-point conversions
// round where this type rounds; with a narrower long double (MSVC, ARM64,
// where it is a double) or a wider one (a quad-precision long double) the
// same case would print other yen.
#pragma once

#include <limits>

namespace korvalen::engine {

using Extended = long double;

static_assert(std::numeric_limits<Extended>::digits == 64,
              "long double must be the 80-bit extended type with a 64-bit mantissa: the yen figures of a case "
              "depend on its rounding, and another width would print other figures. Build with a compiler "
              "and target whose long double is x87 extended (GCC or Clang on x86 or x86-64).");

}  // namespace korvalen::engine
