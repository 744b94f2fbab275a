#pragma once
// The 80-bit extended floating-point format of the object files, converted
// to and from double by our own code (no long double tricks): a double
// survives the round trip exactly.

#include <cstdint>

namespace mx {

// Bytes of one value: 64 bits of mantissa (its leading bit explicit), then
// the sign and a 15-bit exponent.
inline constexpr int kExtendedSize = 10;

void DoubleToExtended(double value, unsigned char out[kExtendedSize]);
double ExtendedToDouble(const unsigned char in[kExtendedSize]);

} // namespace mx
