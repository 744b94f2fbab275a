#include "extended.h"

#include <QtEndian>

#include <cmath>
#include <cstring>

namespace mx {

namespace {
// The exponent of 1.0.
constexpr int kExponentBias = 16383;
} // namespace

void DoubleToExtended(double value, unsigned char out[kExtendedSize])
{
    std::memset(out, 0, kExtendedSize);
    const bool negative = std::signbit(value);
    std::uint16_t exponent = 0;
    std::uint64_t mantissa = 0;
    if (std::isnan(value)) {
        exponent = 0x7FFF;
        mantissa = 0xC000000000000000ull;
    } else if (std::isinf(value)) {
        exponent = 0x7FFF;
        mantissa = 0x8000000000000000ull;
    } else if (value != 0.0) {
        int e = 0;
        const double m = std::frexp(std::fabs(value), &e); // [0.5, 1)
        mantissa = static_cast<std::uint64_t>(std::ldexp(m, 64)); // exact: 53 bits
        exponent = static_cast<std::uint16_t>(e - 1 + kExponentBias); // m * 2^e is 2m * 2^(e-1)
    }
    qToLittleEndian<quint64>(mantissa, out);
    qToLittleEndian<quint16>(quint16((exponent & 0x7FFF) | (negative ? 0x8000 : 0)), out + 8);
}

double ExtendedToDouble(const unsigned char in[kExtendedSize])
{
    const std::uint64_t mantissa = qFromLittleEndian<quint64>(in);
    const quint16 signAndExponent = qFromLittleEndian<quint16>(in + 8);
    const int exponent = signAndExponent & 0x7FFF;
    const bool negative = signAndExponent & 0x8000;
    double v;
    if (exponent == 0x7FFF) {
        v = (mantissa << 1) == 0 ? INFINITY : NAN;
    } else if (mantissa == 0) {
        v = 0.0;
    } else {
        // the value is mantissa * 2^(exponent - bias - 63): the binary point
        // stands after the mantissa's leading bit
        v = std::ldexp(static_cast<double>(mantissa), exponent - kExponentBias - 63);
    }
    return negative ? -v : v;
}

} // namespace mx
