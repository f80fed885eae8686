#pragma once
// The wave streams: every sound the program holds is a TTxWavStream, an in-memory
// PCM data chunk with its format record, the file it came from and its selection.

#include <cstdint>
#include <string>
#include <vector>

#include "wave/Exception.h"
#include "wave/Stream.h"
#include "wave/WaveFormat.h"

// Raised by every check of the wave streams, with the exact texts below.
class EWavStreamError : public Exception {
public:
    using Exception::Exception;
};

namespace WavText {
inline constexpr const char* IndexOutOfRange = "Index out of range!";
inline constexpr const char* NotAValidWav = "Not a valid WAV file.";
inline constexpr const char* CannotChangeFormat = "Cannot change the format of an existing file";
inline constexpr const char* CannotCopyToItself = "Cannot copy to itself!";
inline constexpr const char* OutOfMemory = OutOfMemoryText;
} // namespace WavText

class TCustomWavStream : public TMemoryStream {
public:
    TWaveFormatEx Format{};
    // Bytes of the fmt chunk after its 18-byte head (at most MaxFormatExtra). They
    // travel with Format; the converter needs them for compressed and EXTENSIBLE
    // sources. Never written by the WAV writer.
    std::vector<uint8_t> FormatExtra;
    std::string FileName;

    TCustomWavStream() = default;

    virtual void LoadFromFile(const std::string& name) = 0;
    virtual void SaveToFile(const std::string& name);
    // Averages the bytes ahead of Position into buffer; one byte short of the rest.
    virtual void MixInto(uint8_t* buffer, int32_t count);
    virtual void Clear();
    // The bytes become the whole content of source; FileName empties.
    virtual void Assign(TStream& source);

    void MoveRange(int32_t source, int32_t count, int32_t dest);
    void DeleteRange(int32_t start, int32_t count);
    void CropTo(int32_t start, int32_t count);
    void SaveToStream(TStream& dest);
    // A complete 44-byte-header WAV image of bytes start..start+count-1 (count <= 0: to the end).
    void SaveRangeToStream(TStream& dest, int32_t start, int32_t count);
    void SetFormat(const TWaveFormatEx& record);
    bool IsSameFormat(const TWaveFormatEx& record) const;
    void Prepend(TStream& source);
    void Append(TStream& source);

    // Throws EStreamError unless the stream can grow to newSize bytes.
    void SetSize(int64_t newSize) override;
};

class TWavStream : public TCustomWavStream {
public:
    void LoadFromFile(const std::string& name) override;
    void Assign(TStream& source) override;
    virtual void LoadFromStream(TStream& source);
    virtual void AssignWave(TCustomWavStream& source);

protected:
    // Walks the RIFF chunks of the freshly loaded image (see the .cpp).
    void ParseWave();
};

// Percent of full scale the plain "Normalize" brings the loudest sample to; the panes
// draw their guide lines at the same level.
inline constexpr int32_t NormalizeLevel = 85;
// A wave left shorter than this by a delete, trim or speed change is emptied.
inline constexpr int32_t MinWaveSamples = 100;

class TTxWavStream : public TWavStream {
public:
    TTxWavStream() = default;

    int32_t SelStart() const { return FSelStart; }
    int32_t SelEnd() const { return FSelEnd; }
    int32_t SelLength() const { return Size() == 0 ? 0 : FSelEnd - FSelStart + 1; }
    void SetSelStart(int32_t v);
    void SetSelEnd(int32_t v);

    void Clear() override;
    void Assign(TStream& source) override;
    // Exchanges the whole content with other (bytes, position, format record, extra
    // format bytes, file name, selection) without copying or allocating, so a wave can
    // be replaced by one already made in full and never be left half-replaced.
    void Swap(TTxWavStream& other) noexcept;

    uint8_t GetByte(int32_t i) const;
    void SetByte(int32_t i, uint8_t b);
    int8_t GetSample(int32_t i) const;
    void SetSample(int32_t i, int32_t s);
    float GetValue(int32_t i) const;
    float GetMagnitude(int32_t i) const;
    void SetValue(int32_t i, float x);
    void ScaleSample(int32_t i, float f);

    float AverageLevel(int32_t pos, int32_t span, int32_t count) const;
    int32_t ColumnPeak(int32_t offset, int32_t count, int32_t precision) const;
    int32_t SnapToCrossing(int32_t pos, int32_t range, bool backward) const;

    // A wave a plug-in returned: its 18-byte format record, size bytes from data and
    // its selection. The caller has checked the record; null data or format with a
    // positive size, or a negative size, raise "Index out of range!" before anything
    // changes.
    void LoadFromPluginWave(const uint8_t* data, const TWaveFormatEx* format, int32_t selStart,
                            int32_t selEnd, int32_t size);

    // Edit effects on the selection (wave/WavEffects.cpp). Each gives exactly the bytes
    // of the sample-by-sample rule stated with it; an empty wave, or a selection too
    // short for the effect, is left alone. A selection reaching beyond the wave raises
    // "Index out of range!" before anything changes.

    // ScaleSample of every selected sample with factor.
    void Amplify(float factor);
    // Scales the selection by level / its largest magnitude; a silent selection stays.
    void Normalize(float level);
    // Scales the samples start .. start + length by r * gain (fade in) or 1 - r * gain
    // (fade out), r = (i - start) / length at extended precision. A negative start
    // counts from 0; nothing happens from the third-last sample on; a ramp reaching
    // beyond the last sample, or a length <= 0, runs to the last sample.
    void FadeInRange(int32_t start, int32_t length, float gain);
    void FadeOutRange(int32_t start, int32_t length, float gain);
    // Mirrors the selected bytes end to end (four samples at least); the selection stays.
    void ReverseSelection();
    // Only the selection remains / the selection is deleted; then all is selected, and a
    // wave shorter than MinWaveSamples is emptied.
    void TrimToSelection();
    void RemoveSelection();
    // Keeps every second selected byte; the selection becomes the shortened part and
    // one sample after it. The MinWaveSamples rule applies.
    void SpeedUpSelection();
    // Doubles the selection, each new sample between two old ones their mean; the
    // selection becomes the stretched part and one sample after it. The MinWaveSamples
    // rule applies.
    void SlowDownSelection();

private:
    int32_t FSelStart = 0;
    int32_t FSelEnd = 0;
};

// Largest byte of a buffer (0 for an empty one), stopping at the first 255. The
// vectorised and plain forms are exposed so tests and benchmarks can compare them.
uint8_t MaxBytePlain(const uint8_t* data, int32_t count);
uint8_t MaxByteBlock(const uint8_t* data, int32_t count);
// Largest of the bytes at 0, step, 2 * step, ... below count; the same stop at 255.
uint8_t MaxByteStridedPlain(const uint8_t* data, int32_t count, int32_t step);
uint8_t MaxByteStrided(const uint8_t* data, int32_t count, int32_t step);
