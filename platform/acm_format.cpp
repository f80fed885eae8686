#include "platform/acm_format.h"

#include <algorithm>
#include <cstring>

namespace {

struct THead {
    uint16_t Tag, Channels;
    uint32_t SamplesPerSec, AvgBytesPerSec;
    uint16_t BlockAlign, BitsPerSample, ExtraSize;
};

uint16_t Get16(const uint8_t* p) { return ReadLE16(p); }
uint32_t Get32(const uint8_t* p) { return ReadLE32(p); }
void Put16(std::vector<uint8_t>& v, uint32_t x)
{
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x)
{
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}

// The record is read byte-wise: callers pass the converter's byte arrays.
THead ReadHead(const TWaveFormatEx* record)
{
    const auto* p = reinterpret_cast<const uint8_t*>(record);
    return {Get16(p), Get16(p + 2), Get32(p + 4), Get32(p + 8), Get16(p + 12), Get16(p + 14), Get16(p + 16)};
}

// The extra bytes a record carries, at most AcmMaxFormatExtra.
std::vector<uint8_t> ReadExtra(const TWaveFormatEx* record, uint16_t extraSize)
{
    const auto* p = reinterpret_cast<const uint8_t*>(record) + sizeof(TWaveFormatEx);
    return {p, p + std::min<int>(extraSize, AcmMaxFormatExtra)};
}

// The 18-byte head of the synthesised fmt chunk, then `extra`.
std::vector<uint8_t> FmtChunk(const THead& h, uint32_t avgBytes, const std::vector<uint8_t>& extra)
{
    std::vector<uint8_t> v;
    Put16(v, h.Tag);
    Put16(v, h.Channels);
    Put32(v, h.SamplesPerSec);
    Put32(v, avgBytes);
    Put16(v, h.BlockAlign);
    Put16(v, h.BitsPerSample);
    Put16(v, static_cast<uint32_t>(extra.size()));
    v.insert(v.end(), extra.begin(), extra.end());
    return v;
}

bool IsPcmLike(uint16_t tag)
{
    return tag == WAVE_FORMAT_PCM || tag == WAVE_FORMAT_IEEE_FLOAT || tag == WAVE_FORMAT_ALAW ||
           tag == WAVE_FORMAT_MULAW;
}

// Sample width rules of the one-frame-per-block encodings.
bool PcmLikeFits(uint16_t tag, const THead& h)
{
    const unsigned bits = h.BitsPerSample;
    switch (tag) {
    case WAVE_FORMAT_PCM: if (bits > 32) return false; break;
    case WAVE_FORMAT_IEEE_FLOAT: if (bits != 32 && bits != 64) return false; break;
    default: if (bits != 8) return false; break; // A-law, u-law
    }
    return static_cast<uint32_t>(h.BlockAlign) == static_cast<uint32_t>(h.Channels) * ((bits + 7) / 8);
}

TAcmSampleKind SampleKind(uint16_t tag, uint16_t bits)
{
    if (tag == WAVE_FORMAT_IEEE_FLOAT) return TAcmSampleKind::Float;
    if (tag == WAVE_FORMAT_PCM && bits > 16) return TAcmSampleKind::Int;
    return TAcmSampleKind::Short;
}

// The seven coefficient pairs every MS ADPCM file carries.
constexpr int16_t MsAdpcmCoefficients[7][2] = {
    {256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}};

} // namespace

uint32_t ImaAdpcmFramesPerBlock(uint16_t blockAlign, uint16_t channels)
{
    if (channels == 0 || blockAlign <= 4u * channels) return 0;
    return (blockAlign - 4u * channels) * 8u / (4u * channels) + 1u;
}

uint32_t MsAdpcmFramesPerBlock(uint16_t blockAlign, uint16_t channels)
{
    if (channels == 0 || blockAlign < 7u * channels) return 0;
    return (blockAlign - 7u * channels) * 2u / channels + 2u;
}

MMRESULT DescribeSourceFormat(const TWaveFormatEx* record, TAcmSourceFormat& format)
{
    if (record == nullptr) return MMSYSERR_INVALPARAM;
    const THead h = ReadHead(record);
    // An encoding nobody here decodes is reported as such, whatever its head says
    // (compressed heads often carry 0 bits per sample).
    if (!IsPcmLike(h.Tag) && h.Tag != WAVE_FORMAT_EXTENSIBLE && h.Tag != WAVE_FORMAT_IMA_ADPCM &&
        h.Tag != WAVE_FORMAT_ADPCM && h.Tag != WAVE_FORMAT_GSM610)
        return MMSYSERR_NODRIVER;
    // GSM 6.10 has no bit depth: its head carries 0 bits per sample.
    if (h.Channels == 0 || h.SamplesPerSec == 0 || h.BlockAlign == 0 ||
        (h.BitsPerSample == 0 && h.Tag != WAVE_FORMAT_GSM610))
        return MMSYSERR_INVALPARAM;

    format = {};
    format.Tag = h.Tag;
    format.Channels = h.Channels;
    format.SamplesPerSec = h.SamplesPerSec;
    format.BlockAlign = h.BlockAlign;

    switch (h.Tag) {
    case WAVE_FORMAT_PCM:
    case WAVE_FORMAT_IEEE_FLOAT:
    case WAVE_FORMAT_ALAW:
    case WAVE_FORMAT_MULAW:
        if (!PcmLikeFits(h.Tag, h)) return ACMERR_NOTPOSSIBLE;
        format.Kind = SampleKind(h.Tag, h.BitsPerSample);
        format.FramesPerBlock = 1;
        format.FmtChunk = FmtChunk(h, h.SamplesPerSec * h.BlockAlign, {});
        return MMSYSERR_NOERROR;

    case WAVE_FORMAT_EXTENSIBLE: {
        // valid bits (2), channel mask (4), sub-format GUID (16); the GUID's first two
        // bytes are the tag of the real encoding.
        const std::vector<uint8_t> extra = ReadExtra(record, h.ExtraSize);
        if (extra.size() < 22) return ACMERR_NOTPOSSIBLE;
        const uint16_t subTag = SampleFormatTag(h.Tag, extra.data(), extra.size());
        if (!IsPcmLike(subTag) || !PcmLikeFits(subTag, h)) return ACMERR_NOTPOSSIBLE;
        format.Kind = SampleKind(subTag, h.BitsPerSample);
        format.FramesPerBlock = 1;
        format.FmtChunk = FmtChunk(h, h.SamplesPerSec * h.BlockAlign, {extra.begin(), extra.begin() + 22});
        return MMSYSERR_NOERROR;
    }

    case WAVE_FORMAT_IMA_ADPCM: {
        const uint32_t derived = ImaAdpcmFramesPerBlock(h.BlockAlign, h.Channels);
        if (derived == 0) return ACMERR_NOTPOSSIBLE;
        const std::vector<uint8_t> extra = ReadExtra(record, h.ExtraSize);
        // A head without its extra bytes (or with them zeroed) gets them derived; a
        // block size that disagrees with the alignment is refused rather than decoded
        // past the block's end.
        const uint32_t given = extra.size() >= 2 ? Get16(extra.data()) : 0;
        if (given != 0 && given != derived) return ACMERR_NOTPOSSIBLE;
        if (derived > 0xFFFF) return ACMERR_NOTPOSSIBLE;
        format.FramesPerBlock = derived;
        std::vector<uint8_t> own;
        Put16(own, derived);
        format.FmtChunk = FmtChunk(h, static_cast<uint32_t>(uint64_t{h.SamplesPerSec} * h.BlockAlign / derived), own);
        return MMSYSERR_NOERROR;
    }

    case WAVE_FORMAT_ADPCM: {
        const uint32_t derived = MsAdpcmFramesPerBlock(h.BlockAlign, h.Channels);
        if (derived == 0 || derived > 0xFFFF) return ACMERR_NOTPOSSIBLE;
        const std::vector<uint8_t> extra = ReadExtra(record, h.ExtraSize);
        const uint32_t given = extra.size() >= 2 ? Get16(extra.data()) : 0;
        const uint32_t givenCoefs = extra.size() >= 4 ? Get16(extra.data() + 2) : 0;
        if (given != 0 && given != derived) return ACMERR_NOTPOSSIBLE;
        std::vector<uint8_t> own;
        Put16(own, derived);
        Put16(own, 7);
        if (givenCoefs == 0) {
            for (const auto& pair : MsAdpcmCoefficients) {
                Put16(own, static_cast<uint16_t>(pair[0]));
                Put16(own, static_cast<uint16_t>(pair[1]));
            }
        } else {
            if (givenCoefs != 7 || extra.size() < 4 + 7 * 4) return ACMERR_NOTPOSSIBLE;
            own.insert(own.end(), extra.begin() + 4, extra.begin() + 4 + 7 * 4);
        }
        format.FramesPerBlock = derived;
        format.FmtChunk = FmtChunk(h, static_cast<uint32_t>(uint64_t{h.SamplesPerSec} * h.BlockAlign / derived), own);
        return MMSYSERR_NOERROR;
    }

    case WAVE_FORMAT_GSM610: {
        if (h.Channels != 1 || h.BlockAlign != Gsm610BlockAlign) return ACMERR_NOTPOSSIBLE;
        const std::vector<uint8_t> extra = ReadExtra(record, h.ExtraSize);
        const uint32_t given = extra.size() >= 2 ? Get16(extra.data()) : 0;
        if (given != 0 && given != Gsm610FramesPerBlock) return ACMERR_NOTPOSSIBLE;
        format.FramesPerBlock = Gsm610FramesPerBlock;
        std::vector<uint8_t> own;
        Put16(own, Gsm610FramesPerBlock);
        format.FmtChunk = FmtChunk(h, static_cast<uint32_t>(uint64_t{h.SamplesPerSec} * h.BlockAlign / Gsm610FramesPerBlock), own);
        return MMSYSERR_NOERROR;
    }

    default:
        return MMSYSERR_NODRIVER;
    }
}

MMRESULT DescribeDestFormat(const TWaveFormatEx* record, TAcmDestFormat& format)
{
    if (record == nullptr) return MMSYSERR_INVALPARAM;
    const THead h = ReadHead(record);
    switch (h.Tag) {
    case WAVE_FORMAT_PCM:
        break;
    case WAVE_FORMAT_ADPCM:
    case WAVE_FORMAT_IEEE_FLOAT:
    case WAVE_FORMAT_ALAW:
    case WAVE_FORMAT_MULAW:
    case WAVE_FORMAT_IMA_ADPCM:
    case WAVE_FORMAT_GSM610:
    case WAVE_FORMAT_EXTENSIBLE:
        return ACMERR_NOTPOSSIBLE; // known encodings this layer does not produce
    default:
        return MMSYSERR_NODRIVER;
    }
    if (h.Channels == 0 || h.SamplesPerSec == 0 || h.BlockAlign == 0 || h.BitsPerSample == 0)
        return MMSYSERR_INVALPARAM;
    if (h.Channels != 1 || (h.BitsPerSample != 8 && h.BitsPerSample != 16) ||
        h.BlockAlign != h.BitsPerSample / 8)
        return ACMERR_NOTPOSSIBLE;
    format.SamplesPerSec = h.SamplesPerSec;
    format.BitsPerSample = h.BitsPerSample;
    return MMSYSERR_NOERROR;
}
