#pragma once
// The base of the wave streams: an in-memory PCM data chunk with its format record and
// the file it came from, and the byte-range edits and the WAV writer they share.

#include <cstdint>
#include <string>
#include <vector>

#include "wave/Stream.h"
#include "format/WaveFormat.h"
#include "wave/WavStreamError.h"

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
