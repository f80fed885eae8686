#include "platform/acm.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <unordered_set>
#include <vector>

#include "platform/acm_decoder.h"
#include "platform/acm_format.h"
#include "platform/acm_quantise.h"
#include "platform/acm_resampler.h"

namespace {

struct TAcmStream {
    TAcmSourceFormat Source;
    TAcmDestFormat Dest;
    std::unique_ptr<TAcmResampler> Resampler; // none when the rates are equal
};

// The manager's own tables: the open streams (a handle is valid only while listed)
// and the replacements tests install.
struct TAcmState {
    std::unordered_set<TAcmStream*> Streams;
    TAcmOverrides Overrides;
};

TAcmState& State()
{
    static TAcmState state;
    return state;
}

TAcmStream* Lookup(HACMSTREAM handle)
{
    auto* stream = reinterpret_cast<TAcmStream*>(handle);
    return State().Streams.count(stream) != 0 ? stream : nullptr;
}

bool HeaderUsable(const ACMSTREAMHEADER* header)
{
    return header != nullptr && header->cbStruct >= sizeof(ACMSTREAMHEADER);
}

constexpr int64_t DecodeChunkFrames = 8192;

// Writes quantised samples into the destination buffer; never past its end.
class TPcmWriter {
public:
    TPcmWriter(uint8_t* dest, uint32_t capacity, int bits) : FDest(dest), FCapacity(capacity), FBits(bits) {}

    void Write(const double* samples, size_t count)
    {
        if (FBits == 8) {
            const size_t n = std::min<size_t>(count, FCapacity - FUsed);
            uint8_t* out = FDest + FUsed;
            for (size_t i = 0; i < n; ++i) out[i] = QuantiseToU8(samples[i]);
            FUsed += static_cast<uint32_t>(n);
        } else {
            const size_t n = std::min<size_t>(count, (FCapacity - FUsed) / 2);
            uint8_t* out = FDest + FUsed;
            for (size_t i = 0; i < n; ++i) {
                const auto v = static_cast<uint16_t>(QuantiseToS16(samples[i]));
                out[2 * i] = static_cast<uint8_t>(v);
                out[2 * i + 1] = static_cast<uint8_t>(v >> 8);
            }
            FUsed += static_cast<uint32_t>(2 * n);
        }
    }

    uint32_t Used() const { return FUsed; }

private:
    uint8_t* FDest;
    uint32_t FCapacity;
    uint32_t FUsed = 0;
    int FBits;
};

MMRESULT ConvertWholeBlocks(TAcmStream& stream, ACMSTREAMHEADER& header)
{
    const TAcmSourceFormat& source = stream.Source;
    const uint32_t blocks = header.cbSrcLength / source.BlockAlign;
    const uint32_t bytes = blocks * source.BlockAlign;
    header.cbSrcLengthUsed = 0;
    header.cbDstLengthUsed = 0;
    if (blocks == 0) return MMSYSERR_NOERROR;

    TAcmDecoder decoder;
    if (!decoder.Open(source, header.pbSrc, bytes)) return ACMERR_NOTPOSSIBLE;
    TPcmWriter writer(header.pbDst, header.cbDstLength, stream.Dest.BitsPerSample);
    TAcmResampler* resampler = stream.Resampler.get();
    if (resampler != nullptr && !resampler->Restart()) return ACMERR_NOTPOSSIBLE;

    const TAcmResampler::TSink sink = [&writer](const double* samples, size_t count) { writer.Write(samples, count); };
    std::vector<double> chunk(DecodeChunkFrames);
    for (;;) {
        const int64_t n = decoder.ReadMono(chunk.data(), DecodeChunkFrames);
        if (n <= 0) break;
        if (resampler == nullptr) writer.Write(chunk.data(), static_cast<size_t>(n));
        else if (!resampler->Process(chunk.data(), static_cast<size_t>(n), sink)) return ACMERR_NOTPOSSIBLE;
    }
    if (resampler != nullptr && !resampler->Drain(sink)) return ACMERR_NOTPOSSIBLE;

    header.cbSrcLengthUsed = bytes;
    header.cbDstLengthUsed = writer.Used();
    return MMSYSERR_NOERROR;
}

} // namespace

namespace AcmReal {

MMRESULT StreamOpen(HACMSTREAM* phas, HACMDRIVER had, const TWaveFormatEx* pwfxSrc, const TWaveFormatEx* pwfxDst,
                    void* pwfltr, uintptr_t /*dwCallback*/, uintptr_t /*dwInstance*/, uint32_t fdwOpen)
{
    try {
        const bool query = (fdwOpen & ACM_STREAMOPENF_QUERY) != 0;
        if (phas != nullptr) *phas = nullptr;
        if (!query && phas == nullptr) return MMSYSERR_INVALPARAM;
        if ((fdwOpen & ~(ACM_STREAMOPENF_QUERY | ACM_STREAMOPENF_ASYNC | ACM_STREAMOPENF_NONREALTIME |
                         CALLBACK_TYPEMASK)) != 0)
            return MMSYSERR_INVALFLAG;
        if (had != nullptr) return MMSYSERR_INVALHANDLE; // there are no drivers to choose
        if (pwfxSrc == nullptr || pwfxDst == nullptr) return MMSYSERR_INVALPARAM;

        auto stream = std::make_unique<TAcmStream>();
        if (const MMRESULT r = DescribeSourceFormat(pwfxSrc, stream->Source); r != MMSYSERR_NOERROR) return r;
        if (const MMRESULT r = DescribeDestFormat(pwfxDst, stream->Dest); r != MMSYSERR_NOERROR) return r;
        if (pwfltr != nullptr || (fdwOpen & ACM_STREAMOPENF_ASYNC) != 0) return ACMERR_NOTPOSSIBLE;

        // libsndfile has the last word on what it decodes: one silent block must open.
        const std::vector<uint8_t> silence(stream->Source.BlockAlign, 0);
        if (TAcmDecoder trial; !trial.Open(stream->Source, silence.data(), static_cast<uint32_t>(silence.size())))
            return ACMERR_NOTPOSSIBLE;
        if (stream->Source.SamplesPerSec != stream->Dest.SamplesPerSec) {
            stream->Resampler = std::make_unique<TAcmResampler>();
            if (!stream->Resampler->Open(stream->Source.SamplesPerSec, stream->Dest.SamplesPerSec))
                return ACMERR_NOTPOSSIBLE;
        }
        if (query) return MMSYSERR_NOERROR;
        State().Streams.insert(stream.get());
        *phas = reinterpret_cast<HACMSTREAM>(stream.release());
        return MMSYSERR_NOERROR;
    } catch (const std::bad_alloc&) {
        return MMSYSERR_NOMEM;
    }
}

MMRESULT StreamSize(HACMSTREAM has, uint32_t cbInput, uint32_t* pdwOutputBytes, uint32_t fdwSize)
{
    TAcmStream* stream = Lookup(has);
    if (stream == nullptr) return MMSYSERR_INVALHANDLE;
    if (pdwOutputBytes == nullptr) return MMSYSERR_INVALPARAM;
    if ((fdwSize & ~ACM_STREAMSIZEF_DESTINATION) != 0) return MMSYSERR_INVALFLAG;

    const TAcmSourceFormat& s = stream->Source;
    const long double srcRate = s.SamplesPerSec, dstRate = stream->Dest.SamplesPerSec;
    const uint32_t dstAlign = stream->Dest.BitsPerSample / 8;
    const bool sameRate = s.SamplesPerSec == stream->Dest.SamplesPerSec;
    long double bytes = 0;
    if (fdwSize == ACM_STREAMSIZEF_SOURCE) {
        // Whole blocks only; the resampler may round its last sample up, hence the +1.
        const long double frames = static_cast<long double>(cbInput / s.BlockAlign) * s.FramesPerBlock;
        if (frames == 0) return ACMERR_NOTPOSSIBLE;
        const long double outFrames = sameRate ? frames : std::ceil(frames * dstRate / srcRate) + 1;
        bytes = outFrames * dstAlign;
    } else {
        const long double outFrames = cbInput / dstAlign;
        if (outFrames == 0) return ACMERR_NOTPOSSIBLE;
        const long double frames = sameRate ? outFrames : std::ceil(outFrames * srcRate / dstRate);
        bytes = std::ceil(frames / s.FramesPerBlock) * s.BlockAlign;
    }
    if (bytes > AcmMaxBufferBytes) return ACMERR_NOTPOSSIBLE;
    *pdwOutputBytes = static_cast<uint32_t>(bytes);
    return MMSYSERR_NOERROR;
}

MMRESULT StreamPrepareHeader(HACMSTREAM has, ACMSTREAMHEADER* pash, uint32_t fdwPrepare)
{
    if (Lookup(has) == nullptr) return MMSYSERR_INVALHANDLE;
    if (!HeaderUsable(pash)) return MMSYSERR_INVALPARAM;
    if (fdwPrepare != 0) return MMSYSERR_INVALFLAG;
    if ((pash->fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED) != 0) return MMSYSERR_NOERROR;
    if ((pash->cbSrcLength != 0 && pash->pbSrc == nullptr) || (pash->cbDstLength != 0 && pash->pbDst == nullptr))
        return MMSYSERR_INVALPARAM;
    pash->fdwStatus = ACMSTREAMHEADER_STATUSF_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT StreamConvert(HACMSTREAM has, ACMSTREAMHEADER* pash, uint32_t fdwConvert)
{
    TAcmStream* stream = Lookup(has);
    if (stream == nullptr) return MMSYSERR_INVALHANDLE;
    if (!HeaderUsable(pash)) return MMSYSERR_INVALPARAM;
    if ((fdwConvert & ~(ACM_STREAMCONVERTF_BLOCKALIGN | ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_END)) != 0)
        return MMSYSERR_INVALFLAG;
    if ((pash->fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED) == 0) return ACMERR_UNPREPARED;
    if ((pash->fdwStatus & ACMSTREAMHEADER_STATUSF_INQUEUE) != 0) return ACMERR_BUSY;
    // The header may have been changed since it was prepared.
    if ((pash->cbSrcLength != 0 && pash->pbSrc == nullptr) || (pash->cbDstLength != 0 && pash->pbDst == nullptr))
        return MMSYSERR_INVALPARAM;
    pash->fdwStatus &= ~ACMSTREAMHEADER_STATUSF_DONE;
    try {
        const MMRESULT r = ConvertWholeBlocks(*stream, *pash);
        if (r != MMSYSERR_NOERROR) return r;
    } catch (const std::bad_alloc&) {
        return MMSYSERR_NOMEM;
    }
    pash->fdwStatus |= ACMSTREAMHEADER_STATUSF_DONE;
    return MMSYSERR_NOERROR;
}

MMRESULT StreamUnprepareHeader(HACMSTREAM has, ACMSTREAMHEADER* pash, uint32_t fdwUnprepare)
{
    if (Lookup(has) == nullptr) return MMSYSERR_INVALHANDLE;
    if (!HeaderUsable(pash)) return MMSYSERR_INVALPARAM;
    if (fdwUnprepare != 0) return MMSYSERR_INVALFLAG;
    if ((pash->fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED) == 0) return ACMERR_UNPREPARED;
    pash->fdwStatus &= ~ACMSTREAMHEADER_STATUSF_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT StreamReset(HACMSTREAM has, uint32_t fdwReset)
{
    if (Lookup(has) == nullptr) return MMSYSERR_INVALHANDLE;
    if (fdwReset != 0) return MMSYSERR_INVALFLAG;
    return MMSYSERR_NOERROR; // conversions are synchronous: nothing is ever pending
}

MMRESULT StreamClose(HACMSTREAM has, uint32_t fdwClose)
{
    TAcmStream* stream = Lookup(has);
    if (stream == nullptr) return MMSYSERR_INVALHANDLE;
    if (fdwClose != 0) return MMSYSERR_INVALFLAG;
    State().Streams.erase(stream);
    delete stream;
    return MMSYSERR_NOERROR;
}

int OpenStreamCount() { return static_cast<int>(State().Streams.size()); }

} // namespace AcmReal

TAcmOverrides SetAcmOverrides(TAcmOverrides overrides)
{
    TAcmOverrides previous = std::move(State().Overrides);
    State().Overrides = std::move(overrides);
    return previous;
}

// Each call takes a copy of its override, so a fake may replace the overrides while running.
MMRESULT acmStreamOpen(HACMSTREAM* phas, HACMDRIVER had, const TWaveFormatEx* pwfxSrc, const TWaveFormatEx* pwfxDst,
                       void* pwfltr, uintptr_t dwCallback, uintptr_t dwInstance, uint32_t fdwOpen)
{
    if (auto f = State().Overrides.StreamOpen) return f(phas, had, pwfxSrc, pwfxDst, pwfltr, dwCallback, dwInstance, fdwOpen);
    return AcmReal::StreamOpen(phas, had, pwfxSrc, pwfxDst, pwfltr, dwCallback, dwInstance, fdwOpen);
}

MMRESULT acmStreamSize(HACMSTREAM has, uint32_t cbInput, uint32_t* pdwOutputBytes, uint32_t fdwSize)
{
    if (auto f = State().Overrides.StreamSize) return f(has, cbInput, pdwOutputBytes, fdwSize);
    return AcmReal::StreamSize(has, cbInput, pdwOutputBytes, fdwSize);
}

MMRESULT acmStreamPrepareHeader(HACMSTREAM has, ACMSTREAMHEADER* pash, uint32_t fdwPrepare)
{
    if (auto f = State().Overrides.StreamPrepareHeader) return f(has, pash, fdwPrepare);
    return AcmReal::StreamPrepareHeader(has, pash, fdwPrepare);
}

MMRESULT acmStreamConvert(HACMSTREAM has, ACMSTREAMHEADER* pash, uint32_t fdwConvert)
{
    if (auto f = State().Overrides.StreamConvert) return f(has, pash, fdwConvert);
    return AcmReal::StreamConvert(has, pash, fdwConvert);
}

MMRESULT acmStreamUnprepareHeader(HACMSTREAM has, ACMSTREAMHEADER* pash, uint32_t fdwUnprepare)
{
    if (auto f = State().Overrides.StreamUnprepareHeader) return f(has, pash, fdwUnprepare);
    return AcmReal::StreamUnprepareHeader(has, pash, fdwUnprepare);
}

MMRESULT acmStreamReset(HACMSTREAM has, uint32_t fdwReset)
{
    if (auto f = State().Overrides.StreamReset) return f(has, fdwReset);
    return AcmReal::StreamReset(has, fdwReset);
}

MMRESULT acmStreamClose(HACMSTREAM has, uint32_t fdwClose)
{
    if (auto f = State().Overrides.StreamClose) return f(has, fdwClose);
    return AcmReal::StreamClose(has, fdwClose);
}
