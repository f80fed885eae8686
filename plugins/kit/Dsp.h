#pragma once
// The kit's signal processing, on plain sample vectors: values in -1..1 (byte - 128)
// / 127 for the filters, bytes where a filter must leave untouched samples exactly as
// they were. Every function is a pure function of its input.

#include <cstdint>
#include <vector>

namespace kitdsp {

inline constexpr double SampleRate = 22050.0;

// Echo with feedback: y[n] = x[n] + gain * y[n - delay]; the result runs on for
// repeats delays after the input so the echoes are not cut off.
std::vector<float> Echo(const std::vector<float>& x, int32_t delay, float gain, int repeats);

// One biquad section, RBJ Audio EQ Cookbook (Robert Bristow-Johnson), normalised by a0.
struct TBiquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    static TBiquad LowPass(double f0, double q);
    static TBiquad HighPass(double f0, double q);
};
// Runs the sections one after the other (direct form I, double precision).
std::vector<float> Cascade(const std::vector<float>& x, const std::vector<TBiquad>& sections);
// Fourth-order Butterworth as two cookbook sections with Q = 1 / (2 cos(pi/8)) and
// 1 / (2 cos(3 pi/8)): 24 dB per octave beyond f0.
std::vector<float> LowPass4(const std::vector<float>& x, double f0);
std::vector<float> HighPass4(const std::vector<float>& x, double f0);

// Reverse reverb: the input reversed, through a Schroeder reverberator (four parallel
// feedback combs and two series all-passes, M. R. Schroeder, "Natural sounding
// artificial reverberation", 1962; delays from Freeverb, halved for 22050 Hz), reversed
// again, with the dry input after it. The reverberation swells up tail samples before
// the sound starts.
std::vector<float> ReverseReverb(const std::vector<float>& x, int32_t tail);

// Noise gate on bytes: a sample is kept when a sample within hold samples of it (either
// side) lies threshold steps or more from the zero line; every other sample becomes
// the zero line (128).
std::vector<uint8_t> NoiseGate(const std::vector<uint8_t>& x, int threshold, int32_t hold);

// The mean of the signed samples subtracted from every sample (rounded to nearest,
// ties to even, clamped to 0..255).
std::vector<uint8_t> RemoveDcOffset(const std::vector<uint8_t>& x);

// Bit-crush: signed samples rounded to multiples of 2^(8 - bits) and each held for hold
// samples.
std::vector<uint8_t> BitCrush(const std::vector<uint8_t>& x, int bits, int32_t hold);

} // namespace kitdsp
