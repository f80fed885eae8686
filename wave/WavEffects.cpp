// The edit effects of the working-format wave: amplitude changes, fades, reversal, cuts
// and speed changes of the selection.
//
// Every stored sample goes through the store rule exactly as SetValue applies it, and
// every value is read exactly as GetValue gives it; the loops below only avoid doing the
// same work once per sample where it need not be done:
// - an amplitude change with one factor is a pure function of the byte, so a table of
//   256 results, each computed by the store rule, serves the whole selection (on long
//   selections as a table of byte pairs);
// - the fades need one factor per sample at extended precision; a double estimate with a
//   proven error bound decides the single-precision factor, and the extended-precision
//   expression is evaluated only where the estimate cannot decide it; long ramps go by
//   blocks whose results are mostly fixed by the factors at the blocks' ends;
// - slowing down maps each pair of neighbouring bytes to the two samples it gives;
// - reversal and speeding up are byte moves in vectors, cuts are block moves.
// Index checks are made once per effect, before anything is changed, so a selection
// left beyond the wave by a size change raises "Index out of range!" on an unchanged wave.

#include "wave/Wavs_ex.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace {

[[noreturn]] void RaiseIndexOutOfRange()
{
    throw EWavStreamError(WavText::IndexOutOfRange);
}

// lrint in the default rounding mode (nearest, ties to even), without the library call.
inline int32_t RoundToNearest(double y)
{
#if defined(__SSE2__)
    return _mm_cvtsd_si32(_mm_set_sd(y));
#else
    return static_cast<int32_t>(std::lrint(y));
#endif
}

// GetValue of a byte.
inline float ValueOf(uint8_t b)
{
    return static_cast<float>(static_cast<int32_t>(b) - 128) / 127.0f;
}

// The byte SetValue stores for x.
inline uint8_t StoreByte(float x)
{
    if (x > 1.0f)
        x = 1.0f;
    if (!(x >= -1.0f))
        x = -1.0f;
    // A single times 127 is exact in double, so the tie is decided on the true product.
    return static_cast<uint8_t>(RoundToNearest(static_cast<double>(x) * 127.0) + 128);
}

#if defined(__SSE2__)
// GetValue of four bytes held as 32-bit integers.
inline __m128 Values4(__m128i bytes32)
{
    return _mm_div_ps(_mm_cvtepi32_ps(_mm_sub_epi32(bytes32, _mm_set1_epi32(128))), _mm_set1_ps(127.0f));
}

// GetValue of the 16 bytes of v, four by four.
inline void Values16(__m128i v, __m128 out[4])
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i lo = _mm_unpacklo_epi8(v, zero), hi = _mm_unpackhi_epi8(v, zero);
    out[0] = Values4(_mm_unpacklo_epi16(lo, zero));
    out[1] = Values4(_mm_unpackhi_epi16(lo, zero));
    out[2] = Values4(_mm_unpacklo_epi16(hi, zero));
    out[3] = Values4(_mm_unpackhi_epi16(hi, zero));
}

// The bytes SetValue stores for four values, as 32-bit integers. max(x, -1) yields -1
// for a NaN x, as the store rule wants; conversion rounds in the default mode, to
// nearest with ties to even, like lrint.
inline __m128i StoreBytes4(__m128 x)
{
    x = _mm_min_ps(_mm_max_ps(x, _mm_set1_ps(-1.0f)), _mm_set1_ps(1.0f));
    const __m128d scale = _mm_set1_pd(127.0);
    const __m128i lo = _mm_cvtpd_epi32(_mm_mul_pd(_mm_cvtps_pd(x), scale));
    const __m128i hi = _mm_cvtpd_epi32(_mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(x, x)), scale));
    return _mm_add_epi32(_mm_unpacklo_epi64(lo, hi), _mm_set1_epi32(128));
}

inline __m128i PackBytes16(const __m128 x[4])
{
    return _mm_packus_epi16(_mm_packs_epi32(StoreBytes4(x[0]), StoreBytes4(x[1])),
                            _mm_packs_epi32(StoreBytes4(x[2]), StoreBytes4(x[3])));
}
#endif

struct ByteMap {
    uint8_t to[256];
};

// GetValue of every byte.
struct TValueTable {
    alignas(16) float v[256];
    TValueTable()
    {
        for (int b = 0; b < 256; ++b)
            v[b] = ValueOf(static_cast<uint8_t>(b));
    }
};

const TValueTable& ValueTable()
{
    static const TValueTable table;
    return table;
}

// What ScaleSample with factor f makes of every byte.
ByteMap ScaleMap(float f)
{
    ByteMap map;
    const float* v = ValueTable().v;
#if defined(__SSE2__)
    const __m128 factor = _mm_set1_ps(f);
    for (int b = 0; b < 256; b += 16) {
        __m128 x[4];
        for (int j = 0; j < 4; ++j)
            x[j] = _mm_mul_ps(_mm_load_ps(v + b + 4 * j), factor);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(map.to + b), PackBytes16(x));
    }
#else
    for (int b = 0; b < 256; ++b)
        map.to[b] = StoreByte(v[b] * f);
#endif
    return map;
}

// From this many bytes on, a table of byte pairs (128 KiB, built from the byte table)
// halves the lookups.
constexpr int64_t PairMapFrom = int64_t{1} << 20;

void ApplyMap(uint8_t* p, int64_t n, const ByteMap& map)
{
    const uint8_t* to = map.to;
    int64_t i = 0;
    std::unique_ptr<uint16_t[]> pairs;
    if (n >= PairMapFrom)
        pairs.reset(new (std::nothrow) uint16_t[65536]);
    if (pairs) {
        // Little-endian: the first byte of a pair is the low half of its index.
        for (int hi = 0; hi < 256; ++hi) {
            uint16_t* row = pairs.get() + (hi << 8);
            const auto high = static_cast<uint16_t>(to[hi] << 8);
            for (int lo = 0; lo < 256; ++lo)
                row[lo] = static_cast<uint16_t>(high | to[lo]);
        }
        const uint16_t* pt = pairs.get();
        for (; i + 8 <= n; i += 8) {
            uint64_t w;
            std::memcpy(&w, p + i, 8);
            const uint64_t r = uint64_t{pt[w & 0xFFFF]} | uint64_t{pt[(w >> 16) & 0xFFFF]} << 16 |
                               uint64_t{pt[(w >> 32) & 0xFFFF]} << 32 | uint64_t{pt[w >> 48]} << 48;
            std::memcpy(p + i, &r, 8);
        }
    }
    // Eight bytes per load and store; the lookups are independent of each other.
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        const uint64_t r = uint64_t{to[w & 0xFF]} | uint64_t{to[(w >> 8) & 0xFF]} << 8 |
                           uint64_t{to[(w >> 16) & 0xFF]} << 16 | uint64_t{to[(w >> 24) & 0xFF]} << 24 |
                           uint64_t{to[(w >> 32) & 0xFF]} << 32 | uint64_t{to[(w >> 40) & 0xFF]} << 40 |
                           uint64_t{to[(w >> 48) & 0xFF]} << 48 | uint64_t{to[w >> 56]} << 56;
        std::memcpy(p + i, &r, 8);
    }
    for (; i < n; ++i)
        p[i] = to[p[i]];
}

// Smallest and largest byte of n >= 1 bytes.
void ByteExtremes(const uint8_t* p, int64_t n, uint8_t& lowest, uint8_t& highest)
{
    uint8_t lo = 255, hi = 0;
    int64_t i = 0;
#if defined(__SSE2__)
    if (n >= 64) {
        __m128i mn0 = _mm_set1_epi8(static_cast<char>(0xFF)), mn1 = mn0;
        __m128i mx0 = _mm_setzero_si128(), mx1 = mx0;
        for (; i + 32 <= n; i += 32) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 16));
            mn0 = _mm_min_epu8(mn0, a);
            mx0 = _mm_max_epu8(mx0, a);
            mn1 = _mm_min_epu8(mn1, b);
            mx1 = _mm_max_epu8(mx1, b);
        }
        alignas(16) uint8_t lows[16], highs[16];
        _mm_store_si128(reinterpret_cast<__m128i*>(lows), _mm_min_epu8(mn0, mn1));
        _mm_store_si128(reinterpret_cast<__m128i*>(highs), _mm_max_epu8(mx0, mx1));
        for (int k = 0; k < 16; ++k) {
            lo = std::min(lo, lows[k]);
            hi = std::max(hi, highs[k]);
        }
    }
#endif
    for (; i < n; ++i) {
        lo = std::min(lo, p[i]);
        hi = std::max(hi, p[i]);
    }
    lowest = lo;
    highest = hi;
}

#if defined(__SSE2__)
// Bytes 15..0 of v.
inline __m128i Reverse16(__m128i v)
{
    v = _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8));
    v = _mm_shufflelo_epi16(v, _MM_SHUFFLE(0, 1, 2, 3));
    v = _mm_shufflehi_epi16(v, _MM_SHUFFLE(0, 1, 2, 3));
    return _mm_shuffle_epi32(v, _MM_SHUFFLE(1, 0, 3, 2));
}
#endif

void ReverseBytes(uint8_t* p, int64_t n)
{
    uint8_t* front = p;
    uint8_t* back = p + n; // one past the last byte not yet exchanged
#if defined(__SSE2__)
    while (back - front >= 32) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(front));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(back - 16));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(front), Reverse16(b));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(back - 16), Reverse16(a));
        front += 16;
        back -= 16;
    }
#endif
    std::reverse(front, back);
}


// The factors of a fade ramp: sample k of a ramp of the given length is scaled by
// r * gain (fade in) or 1 - r * gain (fade out), r = k / length, all at extended
// precision and rounded to single precision.
//
// The estimate p = k * (gain / length) in double lies within 3 * 2^-53 * (|p| + |d|) of
// the extended-precision value, d being p (fade in) or 1 - p (fade out). The estimate d
// minus and plus a margin of at least twice that bound encloses the true value, and
// rounding is monotonic: when both ends round to the same single, that single is the
// factor. Only near a rounding boundary does the extended expression decide. Fade in:
// margin |p| * 2^-49; fade out: (1 + 2 |gain|) * 2^-49, as |p| <= |gain|.
class TRamp {
public:
    static constexpr double Below = 1 - 0x1p-49;
    static constexpr double Above = 1 + 0x1p-49;

    TRamp(int64_t length, float gain, bool fadeOut)
        : FLength(length), FGain(gain), FFadeOut(fadeOut),
          FStep(static_cast<double>(gain) / static_cast<double>(length)),
          FMargin((1 + 2 * std::fabs(static_cast<double>(gain))) * 0x1p-49), FFinite(std::isfinite(gain))
    {
    }

    // The factor as the ramp defines it, at extended precision.
    float Exact(int64_t k) const
    {
        const long double r = static_cast<long double>(k) / static_cast<long double>(FLength);
        const long double p = r * static_cast<long double>(FGain);
        return static_cast<float>(FFadeOut ? 1.0L - p : p);
    }

    // The same factor, from the estimate where it decides.
    float Factor(int64_t k) const
    {
        if (!FFinite)
            return Exact(k);
        const double p = static_cast<double>(k) * FStep;
        float lo, hi;
        if (FFadeOut) {
            lo = static_cast<float>((1 - p) - FMargin);
            hi = static_cast<float>((1 - p) + FMargin);
        } else {
            lo = static_cast<float>(p * Below);
            hi = static_cast<float>(p * Above);
        }
        return lo == hi ? hi : Exact(k);
    }

    bool Finite() const { return FFinite; }
    bool FadeOut() const { return FFadeOut; }
    float Gain() const { return FGain; }
    double Step() const { return FStep; }
    double Margin() const { return FMargin; }

private:
    int64_t FLength;
    float FGain;
    bool FFadeOut;
    double FStep;
    double FMargin;
    bool FFinite;
};

#if defined(__x86_64__) && defined(__GNUC__)
#define SONOVANE_FADE_AVX2 1
// Eight samples at a time, on processors with 256-bit vectors: the factors by the
// estimate of TRamp::Factor, the products and the store rule, operation for operation
// as the scalar code does them. A group with any factor the estimate cannot decide goes
// sample by sample.
template <bool FadeOut>
__attribute__((target("avx2"))) int64_t FadeVectorsAvx2(uint8_t* p, int64_t count, const TRamp& ramp)
{
    const __m256d step = _mm256_set1_pd(ramp.Step());
    const __m256d four = _mm256_set1_pd(4.0);
    const __m256d one = _mm256_set1_pd(1.0);
    const __m256d margin = _mm256_set1_pd(ramp.Margin());
    const __m256d below = _mm256_set1_pd(TRamp::Below);
    const __m256d above = _mm256_set1_pd(TRamp::Above);
    const __m256 minusOne = _mm256_set1_ps(-1.0f), plusOne = _mm256_set1_ps(1.0f);
    const __m256d scale = _mm256_set1_pd(127.0);
    const __m128i bias = _mm_set1_epi32(128);
    __m256d kk = _mm256_set_pd(3.0, 2.0, 1.0, 0.0);
    int64_t k = 0;
    for (; k + 8 <= count; k += 8) {
        __m128 lo[2], hi[2];
        for (int j = 0; j < 2; ++j) {
            const __m256d e = _mm256_mul_pd(kk, step);
            kk = _mm256_add_pd(kk, four);
            if constexpr (FadeOut) {
                const __m256d d = _mm256_sub_pd(one, e);
                lo[j] = _mm256_cvtpd_ps(_mm256_sub_pd(d, margin));
                hi[j] = _mm256_cvtpd_ps(_mm256_add_pd(d, margin));
            } else {
                lo[j] = _mm256_cvtpd_ps(_mm256_mul_pd(e, below));
                hi[j] = _mm256_cvtpd_ps(_mm256_mul_pd(e, above));
            }
        }
        const __m256 f = _mm256_set_m128(hi[1], hi[0]);
        if (_mm256_movemask_ps(_mm256_cmp_ps(_mm256_set_m128(lo[1], lo[0]), f, _CMP_EQ_OQ)) != 0xFF) {
            for (int j = 0; j < 8; ++j)
                p[k + j] = StoreByte(ValueOf(p[k + j]) * ramp.Factor(k + j));
            continue;
        }
        const __m256i b32 = _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + k)));
        const __m256 v = _mm256_div_ps(_mm256_cvtepi32_ps(_mm256_sub_epi32(b32, _mm256_set1_epi32(128))),
                                       _mm256_set1_ps(127.0f));
        const __m256 x = _mm256_min_ps(_mm256_max_ps(_mm256_mul_ps(v, f), minusOne), plusOne);
        const __m128i n0 = _mm256_cvtpd_epi32(_mm256_mul_pd(_mm256_cvtps_pd(_mm256_castps256_ps128(x)), scale));
        const __m128i n1 = _mm256_cvtpd_epi32(_mm256_mul_pd(_mm256_cvtps_pd(_mm256_extractf128_ps(x, 1)), scale));
        const __m128i out = _mm_packs_epi32(_mm_add_epi32(n0, bias), _mm_add_epi32(n1, bias));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p + k), _mm_packus_epi16(out, out));
    }
    return k;
}
#endif

inline bool HasZeroByte(uint64_t w)
{
    return ((w - 0x0101010101010101u) & ~w & 0x8080808080808080u) != 0;
}

// Long ramps by blocks. The factors are monotonic in k, and each result is monotonic in
// the factor, so inside a block every result lies between those made by the factors at
// the block's two ends: a byte whose two end results agree has that result throughout,
// and one table serves it. The store rule never makes a 0, so 0 in the table marks the
// bytes to compute one by one. Blocks are kept short enough that these are rare.
void FadeByBlocks(uint8_t* p, int64_t count, const TRamp& ramp, int64_t block)
{
    ByteMap ends[2] = {ScaleMap(ramp.Factor(0)), {}};
    for (int64_t k0 = 0; k0 < count; k0 += block) {
        const int64_t n = std::min(block, count - k0);
        // The next block's first sample, or the ramp's last one.
        ends[1] = ScaleMap(ramp.Factor(std::min(k0 + block, count - 1)));
        ByteMap table;
        for (int b = 0; b < 256; ++b)
            table.to[b] = ends[0].to[b] == ends[1].to[b] ? ends[0].to[b] : 0;
        uint8_t* q = p + k0;
        int64_t i = 0;
        for (; i + 8 <= n; i += 8) {
            uint64_t w;
            std::memcpy(&w, q + i, 8);
            const uint8_t* to = table.to;
            uint64_t r = uint64_t{to[w & 0xFF]} | uint64_t{to[(w >> 8) & 0xFF]} << 8 |
                         uint64_t{to[(w >> 16) & 0xFF]} << 16 | uint64_t{to[(w >> 24) & 0xFF]} << 24 |
                         uint64_t{to[(w >> 32) & 0xFF]} << 32 | uint64_t{to[(w >> 40) & 0xFF]} << 40 |
                         uint64_t{to[(w >> 48) & 0xFF]} << 48 | uint64_t{to[w >> 56]} << 56;
            if (HasZeroByte(r)) {
                for (int j = 0; j < 8; ++j)
                    if (((r >> (8 * j)) & 0xFF) == 0)
                        r |= uint64_t{StoreByte(ValueOf(q[i + j]) * ramp.Factor(k0 + i + j))} << (8 * j);
            }
            std::memcpy(q + i, &r, 8);
        }
        for (; i < n; ++i) {
            const uint8_t t = table.to[q[i]];
            q[i] = t != 0 ? t : StoreByte(ValueOf(q[i]) * ramp.Factor(k0 + i));
        }
        ends[0] = ends[1];
    }
}

// Blocks of a 1/8192 of the ramp move each result by at most 127 / 8192 of a step, so
// a byte is left to compute one by one in under 2 % of the samples; below 512 samples
// a block would not repay its two tables.
constexpr int64_t RampBlocks = 8192;
constexpr int64_t MinRampBlock = 512;

// Scales the count bytes at p by the ramp's factors 0 .. count - 1.
void FadeBytes(uint8_t* p, int64_t count, const TRamp& ramp)
{
    if (ramp.Finite() && ramp.Gain() >= -1 && ramp.Gain() <= 1 && count / RampBlocks >= MinRampBlock) {
        FadeByBlocks(p, count, ramp, count / RampBlocks);
        return;
    }
    int64_t k = 0;
#if defined(SONOVANE_FADE_AVX2)
    if (ramp.Finite() && __builtin_cpu_supports("avx2"))
        k = ramp.FadeOut() ? FadeVectorsAvx2<true>(p, count, ramp) : FadeVectorsAvx2<false>(p, count, ramp);
#endif
    for (; k < count; ++k)
        p[k] = StoreByte(ValueOf(p[k]) * ramp.Factor(k));
}

void Fade(TTxWavStream& wave, int32_t start, int32_t length, float gain, bool fadeOut)
{
    const int64_t size = wave.Size();
    if (size == 0)
        return;
    int64_t first = std::max(start, 0);
    if (first >= size - 2)
        return;
    int64_t ramp = length;
    if (first + ramp > size - 1)
        ramp = 0;
    if (ramp <= 0)
        ramp = size - first - 1;
    // The ramp covers ramp + 1 samples, the last at most the wave's last one.
    FadeBytes(wave.Memory() + first, ramp + 1, TRamp(ramp, gain, fadeOut));
}

// p[i] = p[2i] for 1 <= i < half: every second byte, moved to the front.
void KeepEverySecondByte(uint8_t* p, int64_t half)
{
    int64_t i = 0;
#if defined(__SSE2__)
    // Reads run ahead of writes (2i >= i + 16 once i >= 16; in the first block the load
    // comes before the store), so no byte is overwritten before it is read.
    const __m128i even = _mm_set1_epi16(0x00FF);
    for (; i + 16 <= half; i += 16) {
        const __m128i a = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2 * i)), even);
        const __m128i b = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2 * i + 16)), even);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), _mm_packus_epi16(a, b));
    }
#endif
    for (i = std::max<int64_t>(i, 1); i < half; ++i)
        p[i] = p[2 * i];
}

// The two new samples that old sample k gives, from its byte and its predecessor's: the
// mean at 2k (low byte) and the copy at 2k + 1 (high byte), for every pair of bytes,
// indexed little-endian by predecessor | byte << 8. The mean of two singles, halved
// after one rounding of their sum, is the single nearest to their exact mean, which is
// what the mean at extended precision rounds to as well. Storing a value read from a
// byte gives the byte back, except 0 (below -1), which the clamp makes 1.
void StretchPairs(uint16_t* pairs)
{
    const float* v = ValueTable().v;
    for (int cur = 0; cur < 256; ++cur) {
        uint16_t* row = pairs + (cur << 8);
        const auto copy = static_cast<uint8_t>(std::max(cur, 1));
#if defined(__SSE2__)
        const __m128 vc = _mm_set1_ps(v[cur]);
        const __m128 half = _mm_set1_ps(0.5f);
        const __m128i copies = _mm_set1_epi8(static_cast<char>(copy));
        for (int prev = 0; prev < 256; prev += 16) {
            __m128 x[4];
            for (int j = 0; j < 4; ++j)
                x[j] = _mm_mul_ps(_mm_add_ps(_mm_load_ps(v + prev + 4 * j), vc), half);
            const __m128i means = PackBytes16(x);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(row + prev), _mm_unpacklo_epi8(means, copies));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(row + prev + 8), _mm_unpackhi_epi8(means, copies));
        }
#else
        for (int prev = 0; prev < 256; ++prev)
            row[prev] = static_cast<uint16_t>(StoreByte((v[prev] + v[cur]) * 0.5f) | copy << 8);
#endif
    }
}

// From this many samples on, the pair table repays its 64 Ki entries.
constexpr int64_t StretchPairsFrom = int64_t{1} << 16;

// The n old samples at p (n >= 1, 2n bytes available) become 2n: s0, s0, (s0 + s1) / 2,
// s1, ..., (sn-2 + sn-1) / 2, sn-1; each but the first stored by the store rule.
void StretchBytes(uint8_t* p, int64_t n)
{
    int64_t k = n; // old samples k .. n - 1 are written
    std::unique_ptr<uint16_t[]> pairs;
    if (n >= StretchPairsFrom)
        pairs.reset(new (std::nothrow) uint16_t[65536]);
    if (pairs) {
        StretchPairs(pairs.get());
        const uint16_t* pt = pairs.get();
        // Blocks of 8 old samples from the top: a block reads p[k0 - 1 .. k0 + 7] and
        // writes p[2 k0 .. 2 k0 + 15], above everything the lower blocks still read.
        while (k - 8 >= 8) {
            const int64_t k0 = k - 8;
            uint64_t w;
            std::memcpy(&w, p + k0 - 1, 8);
            const uint64_t last = (w >> 56) | uint64_t{p[k0 + 7]} << 8;
            const uint64_t r0 = uint64_t{pt[w & 0xFFFF]} | uint64_t{pt[(w >> 8) & 0xFFFF]} << 16 |
                                uint64_t{pt[(w >> 16) & 0xFFFF]} << 32 | uint64_t{pt[(w >> 24) & 0xFFFF]} << 48;
            const uint64_t r1 = uint64_t{pt[(w >> 32) & 0xFFFF]} | uint64_t{pt[(w >> 40) & 0xFFFF]} << 16 |
                                uint64_t{pt[w >> 48]} << 32 | uint64_t{pt[last]} << 48;
            std::memcpy(p + 2 * k0, &r0, 8);
            std::memcpy(p + 2 * k0 + 8, &r1, 8);
            k = k0;
        }
    }
#if defined(__SSE2__)
    // Blocks of 16 old samples from the top, in vectors, with the same reads and writes.
    const __m128i one = _mm_set1_epi8(1);
    const __m128 half = _mm_set1_ps(0.5f);
    while (k - 16 >= 16) {
        const int64_t k0 = k - 16;
        const __m128i cur = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k0));
        const __m128i prev = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k0 - 1));
        __m128 vc[4], vp[4];
        Values16(cur, vc);
        Values16(prev, vp);
        for (int j = 0; j < 4; ++j)
            vc[j] = _mm_mul_ps(_mm_add_ps(vp[j], vc[j]), half);
        const __m128i means = PackBytes16(vc);
        const __m128i copies = _mm_max_epu8(cur, one);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 2 * k0), _mm_unpacklo_epi8(means, copies));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 2 * k0 + 16), _mm_unpackhi_epi8(means, copies));
        k = k0;
    }
#endif
    for (--k; k >= 1; --k) {
        const float vk = ValueOf(p[k]);
        const float vprev = ValueOf(p[k - 1]);
        p[2 * k + 1] = StoreByte(vk);
        p[2 * k] = StoreByte((vprev + vk) * 0.5f);
    }
    p[1] = StoreByte(ValueOf(p[0]));
}

void EmptyIfTooShort(TTxWavStream& wave)
{
    if (wave.Size() < MinWaveSamples)
        wave.Clear();
}

// Delete (keepSelection false) or trim: the rest of the wave, or only the selection,
// remains, all of it selected.
void CutSelection(TTxWavStream& wave, bool keepSelection)
{
    if (wave.Size() == 0)
        return;
    if (wave.SelStart() < 0)
        wave.SetSelStart(0);
    if (wave.SelEnd() >= wave.Size())
        wave.SetSelEnd(wave.Size() - 1);
    if (keepSelection)
        wave.CropTo(wave.SelStart(), wave.SelLength());
    else
        wave.DeleteRange(wave.SelStart(), wave.SelLength());
    wave.SetSelStart(0);
    wave.SetSelEnd(wave.Size() - 1);
    EmptyIfTooShort(wave);
}

} // namespace

void TTxWavStream::Amplify(float factor)
{
    if (Size() == 0 || FSelEnd < FSelStart)
        return;
    if (FSelStart < 0 || FSelEnd >= Size())
        RaiseIndexOutOfRange();
    ApplyMap(Memory() + FSelStart, int64_t{FSelEnd} - FSelStart + 1, ScaleMap(factor));
}

void TTxWavStream::Normalize(float level)
{
    if (Size() == 0 || FSelEnd < FSelStart)
        return;
    if (FSelStart < 0 || FSelEnd >= Size())
        RaiseIndexOutOfRange();
    const int64_t count = int64_t{FSelEnd} - FSelStart + 1;
    uint8_t lowest, highest;
    ByteExtremes(Memory() + FSelStart, count, lowest, highest);
    // The magnitude grows with the distance from the zero line, so the loudest sample is
    // the lowest or the highest byte.
    const float peak = std::max(std::fabs(ValueOf(lowest)), std::fabs(ValueOf(highest)));
    if (!(peak > 0.0f))
        return;
    ApplyMap(Memory() + FSelStart, count, ScaleMap(level / peak));
}

void TTxWavStream::FadeInRange(int32_t start, int32_t length, float gain)
{
    Fade(*this, start, length, gain, false);
}

void TTxWavStream::FadeOutRange(int32_t start, int32_t length, float gain)
{
    Fade(*this, start, length, gain, true);
}

void TTxWavStream::ReverseSelection()
{
    if (Size() == 0 || SelLength() < 4)
        return;
    if (FSelStart < 0 || FSelEnd >= Size())
        RaiseIndexOutOfRange();
    ReverseBytes(Memory() + FSelStart, SelLength());
}

void TTxWavStream::RemoveSelection()
{
    CutSelection(*this, false);
}

void TTxWavStream::TrimToSelection()
{
    CutSelection(*this, true);
}

void TTxWavStream::SpeedUpSelection()
{
    if (Size() == 0)
        return;
    const int32_t start = FSelStart;
    const int32_t half = SelLength() / 2;
    if (half < 1)
        return;
    // The last byte read is start + 2 (half - 1), one before the selection's end.
    if (start < 0 || int64_t{start} + 2 * (int64_t{half} - 1) >= Size())
        RaiseIndexOutOfRange();
    KeepEverySecondByte(Memory() + start, half);
    SetSelStart(start + half);
    RemoveSelection();
    SetSelStart(start);
    SetSelEnd(start + half);
    EmptyIfTooShort(*this);
}

void TTxWavStream::SlowDownSelection()
{
    if (Size() == 0)
        return;
    const int32_t start = FSelStart;
    const int32_t end = FSelEnd;
    const int32_t n = SelLength();
    if (n < 1)
        return;
    const int32_t oldSize = Size();
    // Checked before the wave grows, so a failure leaves it as it was.
    if (start < 0 || end >= oldSize)
        RaiseIndexOutOfRange();
    SetSize(int64_t{oldSize} + n);
    if (oldSize - 1 > end)
        MoveRange(end + 1, oldSize - end - 1, end + n + 1);
    StretchBytes(Memory() + start, n);
    EmptyIfTooShort(*this);
    // start + 2n <= the new size, which the stream keeps below 2^31.
    SetSelEnd(static_cast<int32_t>(int64_t{start} + 2 * int64_t{n}));
}
