#pragma once
// The audio compression manager's seven stream calls, with their flags, header record
// and result codes, for a system that has no such manager. Behind them: libsndfile
// decodes the source (any encoding it reads inside WAV), channels are averaged to
// mono, libsoxr changes the rate, and the result is quantised to 8- or 16-bit PCM.
//
// Conversions are synchronous. Each acmStreamConvert treats its source buffer as one
// whole sound: the resampler starts from silence and is drained at the end, so the
// output holds every sample of the input (no tail is kept for a later call).
//
// Format records are read as the manager reads them: the 18-byte WAVEFORMATEX head,
// followed for compressed and extensible tags by min(cbSize, AcmMaxFormatExtra) extra
// bytes. The memory behind a record must hold that many bytes (the converter's
// 129-byte records always do). PCM, IEEE float, A-law and u-law ignore cbSize.
//
// Tests replace any of the seven calls through SetAcmOverrides; the real layer stays
// reachable through the AcmReal functions so that a fake can delegate.
//
// No Qt here: this layer is part of the core.

#include <cstdint>
#include <functional>

#include "format/WaveFormat.h"

using MMRESULT = uint32_t;
using HACMSTREAM = struct HACMSTREAM__*;
using HACMDRIVER = struct HACMDRIVER__*;

// Result codes (mmsystem.h / msacm.h values).
inline constexpr MMRESULT MMSYSERR_NOERROR = 0;
inline constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
inline constexpr MMRESULT MMSYSERR_NODRIVER = 6;
inline constexpr MMRESULT MMSYSERR_NOMEM = 7;
inline constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
inline constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
inline constexpr MMRESULT ACMERR_NOTPOSSIBLE = 512;
inline constexpr MMRESULT ACMERR_BUSY = 513;
inline constexpr MMRESULT ACMERR_UNPREPARED = 514;
inline constexpr MMRESULT ACMERR_CANCELED = 515;

// acmStreamOpen flags. CALLBACK_* values are accepted and ignored: every conversion
// is synchronous. ASYNC cannot be done (ACMERR_NOTPOSSIBLE).
inline constexpr uint32_t ACM_STREAMOPENF_QUERY = 0x00000001;
inline constexpr uint32_t ACM_STREAMOPENF_ASYNC = 0x00000002;
inline constexpr uint32_t ACM_STREAMOPENF_NONREALTIME = 0x00000004;
inline constexpr uint32_t CALLBACK_TYPEMASK = 0x00070000;

// acmStreamSize flags.
inline constexpr uint32_t ACM_STREAMSIZEF_SOURCE = 0x00000000;
inline constexpr uint32_t ACM_STREAMSIZEF_DESTINATION = 0x00000001;

// acmStreamConvert flags. The layer always converts whole source blocks (for PCM a
// block is one sample frame); BLOCKALIGN states that explicitly. START and END are
// accepted: every call is already a start and an end.
inline constexpr uint32_t ACM_STREAMCONVERTF_BLOCKALIGN = 0x00000004;
inline constexpr uint32_t ACM_STREAMCONVERTF_START = 0x00000010;
inline constexpr uint32_t ACM_STREAMCONVERTF_END = 0x00000020;

// ACMSTREAMHEADER.fdwStatus bits.
inline constexpr uint32_t ACMSTREAMHEADER_STATUSF_DONE = 0x00010000;
inline constexpr uint32_t ACMSTREAMHEADER_STATUSF_PREPARED = 0x00020000;
inline constexpr uint32_t ACMSTREAMHEADER_STATUSF_INQUEUE = 0x00100000;

// Most extra bytes after the 18-byte head that the layer reads from a record.
inline constexpr int AcmMaxFormatExtra = MaxFormatExtra;

// Sizes the layer refuses to produce or consume: a wave holds at most 2^31 - 1 bytes.
inline constexpr uint32_t AcmMaxBufferBytes = 0x7FFFFFFF;

// The stream header. Field order and types are those of msacm.h. On a 32-bit build
// the record is exactly 84 bytes; on a 64-bit build the pointer-sized fields
// (dwUser, pbSrc, dwSrcUser, pbDst, dwDstUser) are 8 bytes with natural alignment
// and the ten reserved words stay 32-bit, which makes 104 bytes. cbStruct must be at
// least sizeof(ACMSTREAMHEADER).
struct ACMSTREAMHEADER {
    uint32_t cbStruct;
    uint32_t fdwStatus;
    uintptr_t dwUser;
    uint8_t* pbSrc;
    uint32_t cbSrcLength;
    uint32_t cbSrcLengthUsed;
    uintptr_t dwSrcUser;
    uint8_t* pbDst;
    uint32_t cbDstLength;
    uint32_t cbDstLengthUsed;
    uintptr_t dwDstUser;
    uint32_t dwReservedDriver[10];
};
static_assert(sizeof(void*) != 4 || sizeof(ACMSTREAMHEADER) == 84, "the 32-bit header is 84 bytes");
static_assert(sizeof(void*) != 8 || sizeof(ACMSTREAMHEADER) == 104, "the 64-bit header is 104 bytes");

// The seven calls. They go to the installed overrides where set, else to AcmReal.
MMRESULT acmStreamOpen(HACMSTREAM* phas, HACMDRIVER had, const TWaveFormatEx* pwfxSrc,
                       const TWaveFormatEx* pwfxDst, void* pwfltr, uintptr_t dwCallback,
                       uintptr_t dwInstance, uint32_t fdwOpen);
MMRESULT acmStreamSize(HACMSTREAM has, uint32_t cbInput, uint32_t* pdwOutputBytes, uint32_t fdwSize);
MMRESULT acmStreamPrepareHeader(HACMSTREAM has, ACMSTREAMHEADER* pash, uint32_t fdwPrepare);
MMRESULT acmStreamConvert(HACMSTREAM has, ACMSTREAMHEADER* pash, uint32_t fdwConvert);
MMRESULT acmStreamUnprepareHeader(HACMSTREAM has, ACMSTREAMHEADER* pash, uint32_t fdwUnprepare);
MMRESULT acmStreamReset(HACMSTREAM has, uint32_t fdwReset);
MMRESULT acmStreamClose(HACMSTREAM has, uint32_t fdwClose);

// The real layer, whatever overrides are installed.
namespace AcmReal {
MMRESULT StreamOpen(HACMSTREAM* phas, HACMDRIVER had, const TWaveFormatEx* pwfxSrc,
                    const TWaveFormatEx* pwfxDst, void* pwfltr, uintptr_t dwCallback,
                    uintptr_t dwInstance, uint32_t fdwOpen);
MMRESULT StreamSize(HACMSTREAM has, uint32_t cbInput, uint32_t* pdwOutputBytes, uint32_t fdwSize);
MMRESULT StreamPrepareHeader(HACMSTREAM has, ACMSTREAMHEADER* pash, uint32_t fdwPrepare);
MMRESULT StreamConvert(HACMSTREAM has, ACMSTREAMHEADER* pash, uint32_t fdwConvert);
MMRESULT StreamUnprepareHeader(HACMSTREAM has, ACMSTREAMHEADER* pash, uint32_t fdwUnprepare);
MMRESULT StreamReset(HACMSTREAM has, uint32_t fdwReset);
MMRESULT StreamClose(HACMSTREAM has, uint32_t fdwClose);
// Streams opened and not yet closed (for leak checks in tests).
int OpenStreamCount();
} // namespace AcmReal

// Replacements for the seven calls; an empty member falls through to AcmReal.
struct TAcmOverrides {
    std::function<MMRESULT(HACMSTREAM*, HACMDRIVER, const TWaveFormatEx*, const TWaveFormatEx*,
                           void*, uintptr_t, uintptr_t, uint32_t)>
        StreamOpen;
    std::function<MMRESULT(HACMSTREAM, uint32_t, uint32_t*, uint32_t)> StreamSize;
    std::function<MMRESULT(HACMSTREAM, ACMSTREAMHEADER*, uint32_t)> StreamPrepareHeader;
    std::function<MMRESULT(HACMSTREAM, ACMSTREAMHEADER*, uint32_t)> StreamConvert;
    std::function<MMRESULT(HACMSTREAM, ACMSTREAMHEADER*, uint32_t)> StreamUnprepareHeader;
    std::function<MMRESULT(HACMSTREAM, uint32_t)> StreamReset;
    std::function<MMRESULT(HACMSTREAM, uint32_t)> StreamClose;
};

// Installs overrides (an empty set restores the real layer); returns the previous set.
TAcmOverrides SetAcmOverrides(TAcmOverrides overrides);

// Installs overrides for the lifetime of a scope and restores the previous ones.
class TAcmOverrideScope {
public:
    explicit TAcmOverrideScope(TAcmOverrides overrides) : FPrevious(SetAcmOverrides(std::move(overrides))) {}
    ~TAcmOverrideScope() { SetAcmOverrides(std::move(FPrevious)); }
    TAcmOverrideScope(const TAcmOverrideScope&) = delete;
    TAcmOverrideScope& operator=(const TAcmOverrideScope&) = delete;

private:
    TAcmOverrides FPrevious;
};
