#pragma once
// The 80-bit extended floating-point format of the object files, converted
// to and from double by our own code (no long double tricks): a double
// survives the round trip exactly.

#include <cstdint>

namespace mx {

void DoubleToExtended(double value, unsigned char out[10]);
double ExtendedToDouble(const unsigned char in[10]);

} // namespace mx
