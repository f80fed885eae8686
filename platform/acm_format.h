#pragma once
// Reading the two format records of a conversion: what the source holds and how it
// is put into a WAV image that libsndfile decodes, and what the destination wants.
// Every check answers with the result code the stream calls return.

#include <cstdint>
#include <vector>

#include "platform/acm.h"

// How libsndfile hands the decoded samples over without losing anything: 16-bit
// integers for everything of 16 bits or less (8/16-bit PCM, A-law, u-law, ADPCM, GSM),
// 32-bit integers for 24/32-bit PCM, doubles for floating point.
enum class TAcmSampleKind { Short, Int, Float };

struct TAcmSourceFormat {
    uint16_t Tag = 0;            // as given (WAVE_FORMAT_EXTENSIBLE stays so)
    TAcmSampleKind Kind = TAcmSampleKind::Short;
    uint16_t Channels = 0;
    uint32_t SamplesPerSec = 0;
    uint16_t BlockAlign = 0;     // bytes of one block (one frame for PCM-like encodings)
    uint32_t FramesPerBlock = 0; // 1 for PCM-like encodings
    // Content of the "fmt " chunk put into the decoder's WAV image.
    std::vector<uint8_t> FmtChunk;
};

struct TAcmDestFormat {
    uint32_t SamplesPerSec = 0;
    uint16_t BitsPerSample = 0; // 8 (unsigned) or 16 (signed), one channel
};

// The head and the extra bytes that a record carries (the memory behind `record`
// holds 18 + min(cbSize, AcmMaxFormatExtra) bytes for tags that use extra bytes).
MMRESULT DescribeSourceFormat(const TWaveFormatEx* record, TAcmSourceFormat& format);
MMRESULT DescribeDestFormat(const TWaveFormatEx* record, TAcmDestFormat& format);

// Samples per block that a bare head implies (derived from block alignment and
// channels), for the block-based encodings; 0 when the alignment cannot hold a block.
uint32_t ImaAdpcmFramesPerBlock(uint16_t blockAlign, uint16_t channels);
uint32_t MsAdpcmFramesPerBlock(uint16_t blockAlign, uint16_t channels);
inline constexpr uint32_t Gsm610FramesPerBlock = 320;
inline constexpr uint16_t Gsm610BlockAlign = 65;
