#pragma once
// Quantising a sample value (full scale +-1) to PCM: full scale is 2^(bits-1), the
// nearest step is taken with ties to even (the default floating-point rounding mode),
// values beyond the range are clamped, nothing is dithered.

#include <cfloat>
#include <cstdint>

// Rounds in the current (default: to nearest, ties to even) mode: adding and taking
// away 1.5 * 2^52 leaves no bits below the units. Valid for |v| < 2^51, which the
// clamped values are; a library call per sample would cost more than the filter.
inline double RoundToNearestEven(double v)
{
    constexpr double shifter = 6755399441055744.0; // 1.5 * 2^52
#if FLT_EVAL_METHOD == 0
    return (v + shifter) - shifter; // IEEE arithmetic: never folded without -ffast-math
#else
    volatile double sum = v + shifter; // store to double: no excess precision (x87)
    return sum - shifter;
#endif
}

inline int32_t QuantiseToBits(double value, int bits)
{
    const double scale = bits == 8 ? 128.0 : 32768.0;
    double v = value * scale;
    v = v == v ? v : 0.0; // NaN reads as silence
    // Clamping first gives the same result as rounding first: the range ends are steps.
    v = v > scale - 1 ? scale - 1 : v;
    v = v < -scale ? -scale : v;
    return static_cast<int32_t>(RoundToNearestEven(v));
}

// 8-bit PCM is unsigned with 128 as the zero line.
inline uint8_t QuantiseToU8(double value) { return static_cast<uint8_t>(QuantiseToBits(value, 8) + 128); }

inline int16_t QuantiseToS16(double value) { return static_cast<int16_t>(QuantiseToBits(value, 16)); }
