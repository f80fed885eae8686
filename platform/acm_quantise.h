#pragma once
// Quantising a sample value (full scale +-1) to PCM: full scale is 2^(bits-1), the
// nearest step is taken with ties to even (the default floating-point rounding mode),
// values beyond the range are clamped, nothing is dithered.

#include <cmath>
#include <cstdint>

inline int32_t QuantiseToBits(double value, int bits)
{
    const double scale = bits == 8 ? 128.0 : 32768.0;
    const double top = scale - 1.0;
    double v = std::nearbyint(value * scale);
    if (!(v == v)) return 0; // NaN
    if (v > top) v = top;
    if (v < -scale) v = -scale;
    return static_cast<int32_t>(v);
}

// 8-bit PCM is unsigned with 128 as the zero line.
inline uint8_t QuantiseToU8(double value) { return static_cast<uint8_t>(QuantiseToBits(value, 8) + 128); }

inline int16_t QuantiseToS16(double value) { return static_cast<int16_t>(QuantiseToBits(value, 16)); }
