#include "rules/waveprocessing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

#include "wave/Wavs_ex.h"

static_assert(std::numeric_limits<long double>::digits >= 64,
              "the mixer's sums and products must be exact before their one rounding");

namespace {

// GetValue and GetMagnitude of every byte, exactly as the wave computes them.
struct TByteValues {
    std::array<float, 256> Value;
    std::array<float, 256> Magnitude;
    TByteValues()
    {
        for (int b = 0; b < 256; ++b) {
            Value[b] = static_cast<float>(b - 128) / 127.0f;
            Magnitude[b] = std::fabs(Value[b]);
        }
    }
};

const TByteValues& ByteValues()
{
    static const TByteValues values;
    return values;
}

// The store rule of SetValue: clamp to -1..1, times 127 (exact in double), rounded
// to nearest with ties to even, plus 128.
uint8_t StoredByte(float x)
{
    if (x > 1.0f)
        x = 1.0f;
    if (!(x >= -1.0f))
        x = -1.0f;
    return static_cast<uint8_t>(std::nearbyint(static_cast<double>(x) * 127.0) + 128);
}

// The byte the mix stores for a target byte t and a source byte s.
uint8_t MixedByte(const TByteValues& v, uint8_t t, uint8_t s, float factor)
{
    // Sum and product of the 24-bit operands are exact at extended precision, so the
    // value is rounded to single once, where double would round twice.
    const long double sum = static_cast<long double>(v.Value[t]) + v.Value[s];
    return StoredByte(static_cast<float>(sum * factor));
}

// From this many samples on, the 65,536 possible pairs are worked out once and the mix
// becomes a table look-up per sample.
constexpr int32_t PairTableFrom = 1 << 17;

// The largest magnitude of the two ranges and the largest sum of the two magnitudes at
// one offset. Four running maxima instead of one chain: taking a maximum does not
// depend on the order, so the peaks are exactly those of one pass in order.
void Peaks(const uint8_t* src, const uint8_t* dst, int32_t n, const float* magnitude, float& peakMax,
           float& peakSum)
{
    const auto take = [magnitude](uint8_t a, uint8_t b, float& max, float& sum) {
        const float x = magnitude[a];
        const float y = magnitude[b];
        max = x > max ? x : max;
        max = y > max ? y : max;
        // The rounded sum decides exactly as the exact one would: the peak is a single.
        sum = x + y > sum ? x + y : sum;
    };
    float m0 = 0, m1 = 0, m2 = 0, m3 = 0, s0 = 0, s1 = 0, s2 = 0, s3 = 0;
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        take(src[i], dst[i], m0, s0);
        take(src[i + 1], dst[i + 1], m1, s1);
        take(src[i + 2], dst[i + 2], m2, s2);
        take(src[i + 3], dst[i + 3], m3, s3);
    }
    for (; i < n; ++i)
        take(src[i], dst[i], m0, s0);
    peakMax = std::max(std::max(m0, m1), std::max(m2, m3));
    peakSum = std::max(std::max(s0, s1), std::max(s2, s3));
}

// dst[i] becomes mixed[dst[i] * 256 + src[i]], one sample after the other.
void MixThroughTable(uint8_t* dst, const uint8_t* src, int32_t n, const uint8_t* mixed)
{
    for (int32_t i = 0; i < n; ++i)
        dst[i] = mixed[dst[i] * 256 + src[i]];
}

} // namespace

float MixFactor(float peakMax, float peakSum)
{
    const long double factor = static_cast<long double>(peakMax) / peakSum * (2.0L - peakMax);
    return static_cast<float>(factor);
}

void MixWaves(TTxWavStream& source, TTxWavStream& target, int32_t a, int32_t n, int32_t b)
{
    if (a < 0 || n < 0 || b < 0 || int64_t{a} + n > source.Size())
        throw EWavStreamError(WavText::IndexOutOfRange);

    const int64_t needed = int64_t{b} + n;
    const int64_t size = target.GetSize();
    if (size < needed) {
        // 127, one step below the zero line, is what the mixer has always grown with.
        target.SetSize(needed);
        std::memset(target.Memory() + size, 127, static_cast<size_t>(needed - size));
    }

    // Taken after growing: the target may have moved, and source may be the target.
    const uint8_t* src = source.Memory() + a;
    uint8_t* dst = target.Memory() + b;
    const TByteValues& v = ByteValues();

    float peakMax = 0.0f;
    float peakSum = 0.0f;
    Peaks(src, dst, n, v.Magnitude.data(), peakMax, peakSum);
    // One step held in single precision lies just below the true 1/127, so a range
    // whose loudest sample is a single step fails.
    constexpr long double OneStep = 1.0L / 127.0L;
    if (peakSum <= OneStep || peakMax <= OneStep)
        throw EWavStreamError(MixerConvergationErrorText);

    const float factor = MixFactor(peakMax, peakSum);
    // Read and written one sample after the other, so ranges of one wave that overlap
    // read what the mix has already written, as sample-by-sample access would.
    if (n < PairTableFrom) {
        for (int32_t i = 0; i < n; ++i)
            dst[i] = MixedByte(v, dst[i], src[i], factor);
        return;
    }
    std::array<uint8_t, 256 * 256> mixed;  // on the stack: the mix allocates nothing
    for (int t = 0; t < 256; ++t)
        for (int s = 0; s < 256; ++s)
            mixed[t * 256 + s] = MixedByte(v, static_cast<uint8_t>(t), static_cast<uint8_t>(s), factor);
    MixThroughTable(dst, src, n, mixed.data());
}
