#pragma once
// Mixing one wave's range into another's: the mixer behind "Mix working wave to final
// wave". Plain sample arithmetic on wave streams; no window in sight.

#include <cstdint>

class TTxWavStream;

inline constexpr const char* MixerConvergationErrorText = "Channel mixer convergation error!";

// The loudness-keeping factor of a mix: peakMax / peakSum * (2 - peakMax), worked out
// at extended precision and held in single precision. Two full-scale ranges (1, 2)
// give 0.5, two quiet ones (0.1, 0.2) give 0.95.
float MixFactor(float peakMax, float peakSum);

// Mixes the n samples of source from offset a into target from offset b.
// A target shorter than b + n first grows to b + n bytes, each new byte 127. If the
// largest magnitude in the two ranges, or the largest sum of the two magnitudes at one
// offset, is at most one quantisation step (1/127 at extended precision against the
// single-precision peaks), EWavStreamError "Channel mixer convergation error!" is
// raised with the target left grown; so is it for an empty range. Otherwise each target sample becomes
// (target value + source value) * MixFactor, stored by the store rule.
// a, n or b negative, or a source range outside the source, raise "Index out of range!"
// before anything changes; lack of memory while growing raises EStreamError.
// source and target may be one wave: the samples are then read as the mix leaves them.
void MixWaves(TTxWavStream& source, TTxWavStream& target, int32_t a, int32_t n, int32_t b);
