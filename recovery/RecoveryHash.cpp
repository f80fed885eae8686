#include "recovery/RecoveryHash.h"

#include <cstring>

namespace {

constexpr uint64_t P1 = 0x9E3779B185EBCA87ULL;
constexpr uint64_t P2 = 0xC2B2AE3D27D4EB4FULL;
constexpr uint64_t P3 = 0x165667B19E3779F9ULL;
constexpr uint64_t P4 = 0x85EBCA77C2B2AE63ULL;
constexpr uint64_t P5 = 0x27D4EB2F165667C5ULL;

inline uint64_t Rotl(uint64_t x, int r)
{
    return (x << r) | (x >> (64 - r));
}

inline uint64_t Load64(const uint8_t* p)
{
    uint64_t v;
    std::memcpy(&v, p, 8);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap64(v);
#endif
    return v;
}

inline uint64_t Round(uint64_t acc, uint64_t input)
{
    acc += input * P2;
    acc = Rotl(acc, 31);
    return acc * P1;
}

inline uint64_t Merge(uint64_t acc, uint64_t lane)
{
    acc ^= Round(0, lane);
    return acc * P1 + P4;
}

} // namespace

uint64_t RecoveryHash(const uint8_t* data, size_t size, uint64_t seed)
{
    const uint8_t* p = data;
    const uint8_t* const end = data + size;
    uint64_t h;
    if (size >= 32) {
        uint64_t a = seed + P1 + P2, b = seed + P2, c = seed, d = seed - P1;
        for (; end - p >= 32; p += 32) {
            a = Round(a, Load64(p));
            b = Round(b, Load64(p + 8));
            c = Round(c, Load64(p + 16));
            d = Round(d, Load64(p + 24));
        }
        h = Rotl(a, 1) + Rotl(b, 7) + Rotl(c, 12) + Rotl(d, 18);
        h = Merge(Merge(Merge(Merge(h, a), b), c), d);
    } else {
        h = seed + P5;
    }
    h += static_cast<uint64_t>(size);
    for (; end - p >= 8; p += 8)
        h = Rotl(h ^ Round(0, Load64(p)), 27) * P1 + P4;
    for (; p < end; ++p)
        h = Rotl(h ^ (*p * P5), 11) * P1;
    h ^= h >> 33;
    h *= P2;
    h ^= h >> 29;
    h *= P3;
    h ^= h >> 32;
    return h;
}
