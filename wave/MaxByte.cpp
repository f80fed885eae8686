#include "wave/MaxByte.h"

#include <algorithm>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

uint8_t MaxBytePlain(const uint8_t* data, int32_t count)
{
    uint8_t m = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (data[i] > m) {
            m = data[i];
            if (m == 255)
                break;
        }
    }
    return m;
}

uint8_t MaxByteStridedPlain(const uint8_t* data, int32_t count, int32_t step)
{
    uint8_t m = 0;
    for (int64_t i = 0; i < count; i += step) {
        if (data[i] > m) {
            m = data[i];
            if (m == 255)
                break;
        }
    }
    return m;
}

#if defined(__SSE2__)
namespace {

uint8_t HorizontalMax(__m128i v)
{
    v = _mm_max_epu8(v, _mm_srli_si128(v, 8));
    v = _mm_max_epu8(v, _mm_srli_si128(v, 4));
    v = _mm_max_epu8(v, _mm_srli_si128(v, 2));
    v = _mm_max_epu8(v, _mm_srli_si128(v, 1));
    return static_cast<uint8_t>(_mm_cvtsi128_si32(v) & 0xFF);
}

// Four independent running maxima (the first starting from start) over the 16-byte
// loads from p on, load(q) giving the 16 bytes at q as they count, keep the loop at
// memory speed. A 255 anywhere ends the scan, checked once per KiB; otherwise the scan
// stops with fewer than 16 bytes left and p at the first of them. The lanes' maxima are
// returned: a 255 among them when the scan ended early.
template <typename Load>
__m128i MaxOfLoads(const uint8_t*& p, const uint8_t* end, __m128i start, Load load)
{
    const __m128i full = _mm_set1_epi8(static_cast<char>(0xFF));
    __m128i m0 = start;
    __m128i m1 = _mm_setzero_si128(), m2 = m1, m3 = m1;
    while (end - p >= 1024) {
        for (int k = 0; k < 16; ++k) {
            m0 = _mm_max_epu8(m0, load(p));
            m1 = _mm_max_epu8(m1, load(p + 16));
            m2 = _mm_max_epu8(m2, load(p + 32));
            m3 = _mm_max_epu8(m3, load(p + 48));
            p += 64;
        }
        const __m128i m = _mm_max_epu8(_mm_max_epu8(m0, m1), _mm_max_epu8(m2, m3));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(m, full)) != 0)
            return m;
    }
    __m128i m = _mm_max_epu8(_mm_max_epu8(m0, m1), _mm_max_epu8(m2, m3));
    while (end - p >= 16) {
        m = _mm_max_epu8(m, load(p));
        p += 16;
    }
    return m;
}

} // namespace

// The body is read with aligned loads; the ragged ends with one unaligned load each,
// overlapping the body: a byte seen twice cannot change the largest one.
uint8_t MaxByteBlock(const uint8_t* data, int32_t count)
{
    if (count < 16)
        return MaxBytePlain(data, count);
    const uint8_t* end = data + count;
    const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data));
    const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(end - 16));
    const uint8_t* p = data + ((16 - (reinterpret_cast<uintptr_t>(data) & 15)) & 15);
    const auto aligned = [](const uint8_t* q) { return _mm_load_si128(reinterpret_cast<const __m128i*>(q)); };
    return HorizontalMax(MaxOfLoads(p, end, _mm_max_epu8(head, tail), aligned));
}

// The coarser levels look at every 2nd to 16th byte. Each 16-byte load holds whole
// periods of the grid, so masking the other bytes to 0 (which can never be the largest)
// gives the largest grid byte at full vector speed.
uint8_t MaxByteStrided(const uint8_t* data, int32_t count, int32_t step)
{
    if (step <= 1)
        return MaxByteBlock(data, count);
    // One 16-byte mask serves every load only when the step divides 16; any other step
    // would drift off the grid from the second load on.
    if (step > 16 || 16 % step != 0 || count < 64)
        return MaxByteStridedPlain(data, count, step);
    alignas(16) uint8_t pattern[16] = {};
    for (int i = 0; i < 16; i += step)
        pattern[i] = 0xFF;
    const __m128i mask = _mm_load_si128(reinterpret_cast<const __m128i*>(pattern));
    const auto onGrid = [mask](const uint8_t* q) {
        return _mm_and_si128(mask, _mm_loadu_si128(reinterpret_cast<const __m128i*>(q)));
    };
    const uint8_t* p = data;
    const uint8_t* end = data + count;
    const uint8_t body = HorizontalMax(MaxOfLoads(p, end, _mm_setzero_si128(), onGrid));
    if (body == 255)
        return 255;
    // p - data is a multiple of 16 and so of step: the tail starts on the grid.
    return std::max(body, MaxByteStridedPlain(p, static_cast<int32_t>(end - p), step));
}
#else
uint8_t MaxByteBlock(const uint8_t* data, int32_t count)
{
    return MaxBytePlain(data, count);
}

uint8_t MaxByteStrided(const uint8_t* data, int32_t count, int32_t step)
{
    return step <= 1 ? MaxBytePlain(data, count) : MaxByteStridedPlain(data, count, step);
}
#endif
