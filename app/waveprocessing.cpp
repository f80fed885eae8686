#include "app/waveprocessing.h"

#include <cstring>
#include <limits>

#include "wave/Wavs_ex.h"

static_assert(std::numeric_limits<long double>::digits >= 64,
              "the mixer's sums and products must be exact before their one rounding");

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

    float peakMax = 0.0f;
    float peakSum = 0.0f;
    for (int32_t i = 0; i < n; ++i) {
        const float x = source.GetMagnitude(a + i);
        if (x > peakMax)
            peakMax = x;
        const float y = target.GetMagnitude(b + i);
        if (y > peakMax)
            peakMax = y;
        // The rounded sum decides exactly as the exact one would: peakSum is a single.
        if (x + y > peakSum)
            peakSum = x + y;
    }
    // One step held in single precision lies just below the true 1/127, so a range
    // whose loudest sample is a single step fails.
    constexpr long double OneStep = 1.0L / 127.0L;
    if (peakSum <= OneStep || peakMax <= OneStep)
        throw EWavStreamError(MixerConvergationErrorText);

    const float factor = MixFactor(peakMax, peakSum);
    for (int32_t i = 0; i < n; ++i) {
        // Sum and product of the 24-bit operands are exact at extended precision, so
        // the value is rounded to single once, where double would round twice.
        const long double sum = static_cast<long double>(target.GetValue(b + i)) + source.GetValue(a + i);
        target.SetValue(b + i, static_cast<float>(sum * factor));
    }
}
