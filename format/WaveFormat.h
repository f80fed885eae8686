#pragma once
// The 18-byte format record every wave carries, the working format, the format tags and
// the little-endian byte access the RIFF and fmt readers share. The lowest header of
// the program: every room may include it, and it includes nothing of ours.

#include <cstddef>
#include <cstdint>

// The public plug-in header defines the same record under the same guard, so a source
// that includes both sees one definition.
#ifndef SONOVANE_TWAVEFORMATEX_DEFINED
#define SONOVANE_TWAVEFORMATEX_DEFINED
/* WAVEFORMATEX: 18 bytes, little-endian, no gaps. */
#pragma pack(push, 1)
typedef struct TWaveFormatEx {
    uint16_t wFormatTag;
    uint16_t nChannels;
    uint32_t nSamplesPerSec;
    uint32_t nAvgBytesPerSec;
    uint16_t nBlockAlign;
    uint16_t wBitsPerSample;
    uint16_t cbSize;
} TWaveFormatEx;
#pragma pack(pop)
#endif

static_assert(sizeof(TWaveFormatEx) == 18, "the format record is exactly 18 bytes");
static_assert(offsetof(TWaveFormatEx, nSamplesPerSec) == 4 && offsetof(TWaveFormatEx, nBlockAlign) == 12 &&
                  offsetof(TWaveFormatEx, cbSize) == 16,
              "the format record has the published field offsets");

// Format tags the program knows (the published values).
inline constexpr uint16_t WAVE_FORMAT_PCM = 0x0001;
inline constexpr uint16_t WAVE_FORMAT_ADPCM = 0x0002; // Microsoft ADPCM
inline constexpr uint16_t WAVE_FORMAT_IEEE_FLOAT = 0x0003;
inline constexpr uint16_t WAVE_FORMAT_ALAW = 0x0006;
inline constexpr uint16_t WAVE_FORMAT_MULAW = 0x0007;
inline constexpr uint16_t WAVE_FORMAT_IMA_ADPCM = 0x0011;
inline constexpr uint16_t WAVE_FORMAT_GSM610 = 0x0031;
inline constexpr uint16_t WAVE_FORMAT_EXTENSIBLE = 0xFFFE;

// Most bytes of a fmt chunk kept after the 18-byte head: the converter's 129-byte
// records hold the head and this many.
inline constexpr int MaxFormatExtra = 111;

// Extra size the converter's output record carries, and so the working format too.
inline constexpr uint16_t WorkingFormatExtraSize = 129;

// PCM, 1 channel, 22050 Hz, 22050 bytes/s, block alignment 1, 8 bits; extra size as
// the converter's output record carries it (129).
constexpr TWaveFormatEx WorkingFormat()
{
    return TWaveFormatEx{WAVE_FORMAT_PCM, 1, 22050, 22050, 1, 8, WorkingFormatExtraSize};
}

inline uint16_t ReadLE16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

inline uint32_t ReadLE32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

inline void WriteLE16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

inline void WriteLE32(uint8_t* p, uint32_t v)
{
    WriteLE16(p, static_cast<uint16_t>(v));
    WriteLE16(p + 2, static_cast<uint16_t>(v >> 16));
}

// How the samples are coded: the tag itself, or for an extensible record the tag its
// sub-format names (the first two bytes of the GUID, six bytes into the extra bytes).
// 0 for an extensible record whose extra bytes are too short to say.
inline uint16_t SampleFormatTag(uint16_t tag, const uint8_t* extra, size_t extraSize)
{
    constexpr size_t SubFormatAt = 6;
    if (tag != WAVE_FORMAT_EXTENSIBLE)
        return tag;
    if (extra == nullptr || extraSize < SubFormatAt + 16)
        return 0;
    return ReadLE16(extra + SubFormatAt);
}
