#pragma once
// TACMConvertor: converts one block of audio from one format to another through the
// audio compression manager's seven stream calls (platform/acm), strictly: every
// failing call becomes an EACMConvertor naming the step.
//
// Calling order: (SetInputBufferSize, fill ACMFormatIn) -> SetActive(true) -> fill
// InputBuffer() -> Convert() -> read that many bytes of OutputBuffer() -> SetActive(false).
//
// A whole sound's bytes need not travel through buffers of the converter's own: before
// opening, the owner may lend the memory that already holds the input and ask for the
// output to be made where it is to stay (LendInputBuffer, LendOutputBuffer). The calls,
// sizes and flags the manager sees are the same either way.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/acm.h"
#include "wave/Exception.h"
#include "format/WaveFormat.h"

class TStream;

class EACMConvertor : public Exception {
public:
    using Exception::Exception;
};

namespace AcmText {
inline constexpr const char* BufferSizeWhileActive = "You cannot change the buffer size while active.";
inline constexpr const char* RealTimeWhileActive = "You cannot change the real time flag while active.";
inline constexpr const char* UnknownError = "%s raised an unknown error (code #%d)";

// Step names as they open the messages.
inline constexpr const char* StepOpen = "acmStreamOpen:";
inline constexpr const char* StepSize = "acmStreamSize:";
inline constexpr const char* StepPrepareHeader = "acmStreamPrepareHeader:";
inline constexpr const char* StepConvert = "acmStreamConvert:";
inline constexpr const char* StepReset = "acmStreamReset";
inline constexpr const char* StepUnprepareHeader = "acmStreamUnPrepareHeader:";
inline constexpr const char* StepClose = "acmStreamClose:";
} // namespace AcmText

// The message for a platform result under a step name; empty for success.
std::string AcmResultMessage(MMRESULT result, const char* step);

// 129-byte format record: the 18-byte WAVEFORMATEX head and 111 extra bytes.
struct TACMFormat {
    static constexpr int Size = WorkingFormatExtraSize;
    static_assert(Size == sizeof(TWaveFormatEx) + MaxFormatExtra);
    std::array<uint8_t, Size> Bytes{};

    TWaveFormatEx Head() const;
    void SetHead(const TWaveFormatEx& head);

    // PCM, 1 channel, 22050 Hz, 22050 bytes/s, alignment 1, 8 bits, extra size 129,
    // then zeros.
    static TACMFormat Default();

    // The record as the stream calls read it (head, then extra bytes).
    const TWaveFormatEx* Record() const { return reinterpret_cast<const TWaveFormatEx*>(Bytes.data()); }

    // Stored form: a 32-bit little-endian count, always 129, then the record (133 bytes).
    void WriteData(TStream& dest) const;
    // Reads the count, then that many bytes into the front of the record (the rest
    // stays). A count above 129 raises EACMConvertor and leaves the record unchanged.
    void ReadData(TStream& source);
};

class TACMConvertor {
public:
    TACMConvertor();
    // Closes an open stream first; a failure while closing is swallowed here.
    ~TACMConvertor();
    TACMConvertor(const TACMConvertor&) = delete;
    TACMConvertor& operator=(const TACMConvertor&) = delete;

    // Format of the bytes put into InputBuffer, and the format wanted in OutputBuffer.
    // Read by the platform only when the stream opens.
    TACMFormat ACMFormatIn = TACMFormat::Default();
    TACMFormat ACMFormatOut = TACMFormat::Default();

    bool Active() const { return FActive; }
    // true opens, false closes; writing the current value does nothing.
    void SetActive(bool value);

    bool UseRealTime() const { return FUseRealTime; }
    void SetUseRealTime(bool value);

    int32_t InputBufferSize() const { return FInputBufferSize; }
    void SetInputBufferSize(int32_t value);

    // Valid only while active.
    uint8_t* InputBuffer() { return FInputBuffer; }
    uint8_t* OutputBuffer() { return FOutputBuffer; }
    int32_t OutputBufferSize() const { return FOutputBufferSize; }

    // Converts the whole input buffer; returns the number of output bytes.
    int32_t Convert();

    // Loans for the next open only: that open, successful or not, ends both. Until then
    // they may be replaced or withdrawn (null / empty).
    //
    // The next open takes `bytes` (InputBufferSize of them, already filled) as its input
    // buffer instead of allocating one: the manager reads them in place. Lent memory is
    // used only by Convert and never released here; the owner keeps it valid while it
    // may still call Convert.
    void LendInputBuffer(uint8_t* bytes);
    // The next open asks `place` for OutputBufferSize bytes, once the manager has sized
    // the output, and makes the answer its output buffer. `place` raises its own failure
    // when it has no room; a null answer for a size above 0 is taken as no memory.
    using TOutputPlace = std::function<uint8_t*(int32_t size)>;
    void LendOutputBuffer(TOutputPlace place);
    // Whether the buffers in use are lent (never released by the converter).
    bool InputBufferLent() const { return FInputBuffer != nullptr && !FOwnInput; }
    bool OutputBufferLent() const { return FOutputBuffer != nullptr && !FOwnOutput; }

    // For tests: the platform handle and the stream header.
    HACMSTREAM StreamHandle() const { return FStreamHandle; }
    const ACMSTREAMHEADER& StreamHeader() const { return FStreamHeader; }

private:
    void Open();
    void Close();
    void ReleaseBuffers();

    bool FActive = false;
    bool FUseRealTime = false;
    // The buffers in use: the converter's own, or memory lent by the owner.
    uint8_t* FInputBuffer = nullptr;
    uint8_t* FOutputBuffer = nullptr;
    std::unique_ptr<uint8_t[]> FOwnInput;
    std::unique_ptr<uint8_t[]> FOwnOutput;
    uint8_t* FLentInput = nullptr;
    TOutputPlace FOutputPlace;
    int32_t FInputBufferSize = 2048;
    int32_t FOutputBufferSize = 0;
    HACMSTREAM FStreamHandle = nullptr;
    ACMSTREAMHEADER FStreamHeader{};
};
