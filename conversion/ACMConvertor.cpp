#include "conversion/ACMConvertor.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

#include "wave/Stream.h"
#include "wave/Wavs_ex.h"

namespace {

const char* ResultText(MMRESULT result)
{
    switch (result) {
    case MMSYSERR_INVALHANDLE: return " The specified handle is invalid.";
    case MMSYSERR_NODRIVER: return " A suitable driver is not available to provide valid format selections.";
    case MMSYSERR_NOMEM: return " The system is unable to allocate resources.";
    case MMSYSERR_INVALFLAG: return " At least one flag is invalid.";
    case MMSYSERR_INVALPARAM: return " At least one parameter is invalid.";
    case ACMERR_NOTPOSSIBLE: return " The requested operation cannot be performed.";
    case ACMERR_BUSY: return " The conversion stream is already in use.";
    case ACMERR_UNPREPARED: return " Cannot perform this action on a header that has not been prepared.";
    default: return nullptr;
    }
}

void Check(MMRESULT result, const char* step)
{
    if (result != MMSYSERR_NOERROR) throw EACMConvertor(AcmResultMessage(result, step));
}

// The buffers are filled by their users before they are read, so they are not zeroed
// here (a whole sound's worth of bytes).
std::unique_ptr<uint8_t[]> AllocateBuffer(int32_t size)
{
    uint8_t* p = size < 0 ? nullptr : new (std::nothrow) uint8_t[static_cast<size_t>(size)];
    if (p == nullptr) throw EStreamError(WavText::OutOfMemory);
    return std::unique_ptr<uint8_t[]>(p);
}

} // namespace

std::string AcmResultMessage(MMRESULT result, const char* step)
{
    if (result == MMSYSERR_NOERROR) return {};
    if (const char* text = ResultText(result)) return std::string(step) + text;
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, AcmText::UnknownError, step, static_cast<int>(result));
    return buffer;
}

TWaveFormatEx TACMFormat::Head() const
{
    TWaveFormatEx head;
    std::memcpy(&head, Bytes.data(), sizeof head);
    return head;
}

void TACMFormat::SetHead(const TWaveFormatEx& head) { std::memcpy(Bytes.data(), &head, sizeof head); }

TACMFormat TACMFormat::Default()
{
    TACMFormat format;
    format.SetHead(WorkingFormat());
    return format;
}

void TACMFormat::WriteData(TStream& dest) const
{
    const uint8_t count[4] = {Size, 0, 0, 0};
    dest.WriteBuffer(count, sizeof count);
    dest.WriteBuffer(Bytes.data(), Size);
}

void TACMFormat::ReadData(TStream& source)
{
    uint8_t countBytes[4];
    source.ReadBuffer(countBytes, sizeof countBytes);
    const uint32_t count = countBytes[0] | countBytes[1] << 8 | countBytes[2] << 16 |
                           static_cast<uint32_t>(countBytes[3]) << 24;
    if (count > static_cast<uint32_t>(Size)) {
        char text[120];
        std::snprintf(text, sizeof text, "The stored format record holds %u bytes; at most %d fit.", count, Size);
        throw EACMConvertor(text);
    }
    std::array<uint8_t, Size> read = Bytes;
    source.ReadBuffer(read.data(), count);
    Bytes = read;
}

TACMConvertor::TACMConvertor() = default;

TACMConvertor::~TACMConvertor()
{
    try {
        SetActive(false);
    } catch (...) {
        // Nothing can be reported from here; give the stream back all the same.
        if (FStreamHandle != nullptr) acmStreamClose(FStreamHandle, 0);
    }
}

void TACMConvertor::SetActive(bool value)
{
    if (value == FActive) return;
    if (value) Open();
    else Close();
}

void TACMConvertor::SetUseRealTime(bool value)
{
    if (FActive) throw EACMConvertor(AcmText::RealTimeWhileActive);
    FUseRealTime = value;
}

void TACMConvertor::SetInputBufferSize(int32_t value)
{
    if (FActive) throw EACMConvertor(AcmText::BufferSizeWhileActive);
    FInputBufferSize = value;
}

void TACMConvertor::LendInputBuffer(uint8_t* bytes) { FLentInput = bytes; }

void TACMConvertor::LendOutputBuffer(TOutputPlace place) { FOutputPlace = std::move(place); }

void TACMConvertor::Open()
{
    // The loans are for this open alone, whatever becomes of it.
    uint8_t* const lentInput = std::exchange(FLentInput, nullptr);
    const TOutputPlace outputPlace = std::exchange(FOutputPlace, nullptr);

    HACMSTREAM handle = nullptr;
    Check(acmStreamOpen(&handle, nullptr, ACMFormatIn.Record(), ACMFormatOut.Record(), nullptr, 0, 0,
                        FUseRealTime ? 0 : ACM_STREAMOPENF_NONREALTIME),
          AcmText::StepOpen);
    FStreamHandle = handle;
    try {
        uint32_t outputBytes = 0;
        Check(acmStreamSize(FStreamHandle, static_cast<uint32_t>(FInputBufferSize), &outputBytes,
                            ACM_STREAMSIZEF_SOURCE),
              AcmText::StepSize);
        FOutputBufferSize = static_cast<int32_t>(outputBytes);
        if (lentInput != nullptr && FInputBufferSize > 0) {
            FInputBuffer = lentInput;
        } else {
            FOwnInput = AllocateBuffer(FInputBufferSize);
            FInputBuffer = FOwnInput.get();
        }
        if (outputPlace) {
            if (FOutputBufferSize < 0) throw EStreamError(WavText::OutOfMemory);
            FOutputBuffer = outputPlace(FOutputBufferSize);
            if (FOutputBuffer == nullptr && FOutputBufferSize > 0) throw EStreamError(WavText::OutOfMemory);
        } else {
            FOwnOutput = AllocateBuffer(FOutputBufferSize);
            FOutputBuffer = FOwnOutput.get();
        }

        FStreamHeader = ACMSTREAMHEADER{};
        FStreamHeader.cbStruct = sizeof(ACMSTREAMHEADER);
        FStreamHeader.pbSrc = FInputBuffer;
        FStreamHeader.cbSrcLength = static_cast<uint32_t>(FInputBufferSize);
        FStreamHeader.pbDst = FOutputBuffer;
        FStreamHeader.cbDstLength = static_cast<uint32_t>(FOutputBufferSize);
        Check(acmStreamPrepareHeader(FStreamHandle, &FStreamHeader, 0), AcmText::StepPrepareHeader);
    } catch (...) {
        // Whatever failed after the stream was opened, the stream is given back: the
        // component ends inactive with no buffers and no open stream.
        ReleaseBuffers();
        acmStreamClose(FStreamHandle, 0);
        FStreamHandle = nullptr;
        throw;
    }
    FActive = true;
}

int32_t TACMConvertor::Convert()
{
    if (FOutputBuffer != nullptr && FOutputBufferSize > 0)
        std::memset(FOutputBuffer, 0, static_cast<size_t>(FOutputBufferSize));
    Check(acmStreamConvert(FStreamHandle, &FStreamHeader, ACM_STREAMCONVERTF_BLOCKALIGN), AcmText::StepConvert);
    Check(acmStreamReset(FStreamHandle, 0), AcmText::StepReset);
    return static_cast<int32_t>(FStreamHeader.cbDstLengthUsed);
}

void TACMConvertor::Close()
{
    Check(acmStreamUnprepareHeader(FStreamHandle, &FStreamHeader, 0), AcmText::StepUnprepareHeader);
    Check(acmStreamClose(FStreamHandle, 0), AcmText::StepClose);
    FStreamHandle = nullptr;
    ReleaseBuffers();
    FActive = false;
}

void TACMConvertor::ReleaseBuffers()
{
    // Lent memory is only forgotten: it belongs to the owner.
    FInputBuffer = nullptr;
    FOutputBuffer = nullptr;
    FOwnInput.reset();
    FOwnOutput.reset();
    FOutputBufferSize = 0;
}
