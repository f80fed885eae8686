#include "wave/Wavs_ex.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <new>

#include "wave/ReplacingFileStream.h"
#include "format/RiffChunkReader.h"
#include "format/WavHeader.h"

static_assert(std::endian::native == std::endian::little,
              "the format record and the WAV header are copied as little-endian bytes");

namespace {

[[noreturn]] void RaiseIndexOutOfRange()
{
    throw EWavStreamError(WavText::IndexOutOfRange);
}

} // namespace

// --- TCustomWavStream --------------------------------------------------------------

void TCustomWavStream::SaveToFile(const std::string& name)
{
    // Written in full under a temporary name and only then put in the file's place: a
    // save that fails leaves an existing file as it was and no partial file behind.
    TReplacingFileStream file(name);
    SaveToStream(file);
    file.Commit();
}

void TCustomWavStream::MixInto(uint8_t* buffer, int32_t count)
{
    if (FPosition < 0)
        return;
    const int64_t n = std::min<int64_t>(count, GetSize() - FPosition - 1);
    if (n < 1)
        return;
    const uint8_t* src = Memory() + FPosition;
    for (int64_t i = 0; i < n; ++i)
        buffer[i] = static_cast<uint8_t>((src[i] + buffer[i]) / 2);
    FPosition += n;
}

void TCustomWavStream::Clear()
{
    ReleaseBuffer();
    FileName.clear();
}

void TCustomWavStream::Assign(TStream& source)
{
    TMemoryStream::LoadFromStream(source);
    FileName.clear();
}

void TCustomWavStream::MoveRange(int32_t source, int32_t count, int32_t dest)
{
    const int64_t size = GetSize();
    if (source < 0 || count < 0 || dest < 0 || int64_t{source} + count > size ||
        int64_t{dest} + count > size)
        RaiseIndexOutOfRange();
    if (source == dest || count == 0)
        return;
    std::memmove(Memory() + dest, Memory() + source, static_cast<size_t>(count));
}

void TCustomWavStream::DeleteRange(int32_t start, int32_t count)
{
    const int64_t size = GetSize();
    if (start == 0 && count == size) {
        Clear();
        return;
    }
    // Checked here in 64 bits so that start + count cannot wrap before MoveRange sees it.
    if (start < 0 || count < 0 || int64_t{start} + count > size)
        RaiseIndexOutOfRange();
    MoveRange(start + count, static_cast<int32_t>(size - start - count), start);
    SetSize(size - count);
}

void TCustomWavStream::CropTo(int32_t start, int32_t count)
{
    if (count <= 0) {
        Clear();
        return;
    }
    // Checked as MoveRange would; the kept bytes then simply become the content.
    if (start < 0 || int64_t{start} + count > GetSize())
        RaiseIndexOutOfRange();
    CropInPlace(start, count);
}

void TCustomWavStream::SaveToStream(TStream& dest)
{
    SaveRangeToStream(dest, 0, 0);
}

void TCustomWavStream::SaveRangeToStream(TStream& dest, int32_t start, int32_t count)
{
    const int64_t size = GetSize();
    int64_t n = count;
    if (n <= 0)
        n = size - start;
    if (start < 0 || n < 0 || start + n > size)
        RaiseIndexOutOfRange();
    // Emptying the destination first would destroy the very bytes to be written.
    if (&dest == this)
        throw EWavStreamError(WavText::CannotCopyToItself);

    // The fixed 44-byte header: the first 16 bytes of the record as the fmt chunk. Its
    // RIFF size is filled in below from what the destination holds.
    std::vector<uint8_t> header = WavHeader(&Format, 16, static_cast<uint32_t>(n));
    WriteLE32(header.data() + 4, 0);

    dest.SetSize(0);
    const int64_t ownPosition = FPosition;
    dest.WriteBuffer(header.data(), static_cast<int64_t>(header.size()));
    dest.WriteBuffer(Memory() + start, n);

    const int64_t total = dest.GetSize();
    uint8_t riff[8];
    std::memcpy(riff, "RIFF", 4);
    WriteLE32(riff + 4, static_cast<uint32_t>(total - 8));
    dest.Seek(0, soBeginning);
    dest.WriteBuffer(riff, 8);
    dest.Seek(0, soBeginning);
    FPosition = ownPosition;
}

void TCustomWavStream::SetFormat(const TWaveFormatEx& record)
{
    if (!FileName.empty())
        throw EWavStreamError(WavText::CannotChangeFormat);
    Format = record;
    FormatExtra.clear();
}

bool TCustomWavStream::IsSameFormat(const TWaveFormatEx& record) const
{
    return record.nChannels == Format.nChannels && record.nSamplesPerSec == Format.nSamplesPerSec &&
           record.nBlockAlign == Format.nBlockAlign && record.wBitsPerSample == Format.wBitsPerSample;
}

void TCustomWavStream::Prepend(TStream& source)
{
    if (&source == this)
        throw EWavStreamError(WavText::CannotCopyToItself);
    const TWaveFormatEx savedFormat = Format;
    const int64_t ownSize = GetSize();
    const int64_t total = source.GetSize() + ownSize;
    if (total > MaxSize)
        TMemoryStream::SetSize(total); // raises the "too large" error, nothing changed yet
    std::vector<uint8_t> savedBytes;
    std::vector<uint8_t> savedExtra;
    TranslateOutOfMemory([&] {
        savedBytes.assign(Memory(), Memory() + ownSize);
        savedExtra = FormatExtra;
        // Reserving the final size now means neither Assign nor the growth below can
        // fail for lack of memory after the stream's own bytes have been replaced.
        Reserve(total);
    });
    Assign(source);
    const int64_t sourceSize = GetSize();
    SetSize(sourceSize + ownSize);
    if (ownSize > 0)
        std::memcpy(Memory() + sourceSize, savedBytes.data(), static_cast<size_t>(ownSize));
    Format = savedFormat;
    FormatExtra = std::move(savedExtra);
}

void TCustomWavStream::Append(TStream& source)
{
    if (&source == this)
        throw EWavStreamError(WavText::CannotCopyToItself);
    Seek(0, soEnd);
    SetSize(GetSize() + source.GetSize());
    CopyFrom(source, 0);
}

void TCustomWavStream::SetSize(int64_t newSize)
{
    TMemoryStream::SetSize(newSize);
}

// --- TWavStream --------------------------------------------------------------------

void TWavStream::LoadFromFile(const std::string& name)
{
    TMemoryStream::LoadFromFile(name);
    ParseWave();
    FileName = name;
}

void TWavStream::Assign(TStream& source)
{
    TCustomWavStream::Assign(source);
    if (auto* wave = dynamic_cast<TWavStream*>(&source)) {
        Format = wave->Format;
        FormatExtra = wave->FormatExtra;
    }
}

void TWavStream::LoadFromStream(TStream& source)
{
    if (&source == this) {
        // The image is already here; clearing first would lose it.
        FileName.clear();
        ParseWave();
        return;
    }
    Clear();
    TMemoryStream::LoadFromStream(source);
    ParseWave();
}

void TWavStream::AssignWave(TCustomWavStream& source)
{
    TMemoryStream::LoadFromStream(source);
    Format = source.Format;
    FormatExtra = source.FormatExtra;
    FileName.clear();
}

void TWavStream::ParseWave()
{
    // Nothing below moves the position: every way out leaves it at the start.
    Seek(0, soBeginning);
    TRiffChunkReader chunks(Memory(), static_cast<size_t>(GetSize()));
    if (!chunks.IsWave())
        throw EWavStreamError(WavText::NotAValidWav);

    bool foundData = false;
    while (chunks.Next()) {
        if (chunks.Is("fmt ")) {
            // Of a fmt chunk cut short by the end of the image, the bytes held count.
            Format = TWaveFormatEx{};
            FormatExtra.clear();
            const size_t head = std::min(chunks.Held(), sizeof(TWaveFormatEx));
            std::memcpy(&Format, chunks.Body(), head);
            if (chunks.Size() > sizeof(TWaveFormatEx)) {
                const size_t wanted =
                    std::min<size_t>(chunks.Size() - sizeof(TWaveFormatEx), static_cast<size_t>(MaxFormatExtra));
                const uint8_t* extra = chunks.Body() + head;
                FormatExtra.assign(extra, extra + std::min(wanted, chunks.Held() - head));
            }
        } else if (chunks.Is("data")) {
            if (chunks.Size() > chunks.Held())
                RaiseIndexOutOfRange();
            CropTo(static_cast<int32_t>(chunks.BodyOffset()), static_cast<int32_t>(chunks.Size()));
            foundData = true;
            break;
        }
    }
    // Without a data chunk the image's headers would otherwise be taken for samples.
    if (!foundData)
        throw EWavStreamError(WavText::NotAValidWav);
}

// --- TTxWavStream ------------------------------------------------------------------

void TTxWavStream::SetSelStart(int32_t v)
{
    FSelStart = (v < 0 || v >= Size()) ? 0 : v;
}

void TTxWavStream::SetSelEnd(int32_t v)
{
    const int32_t size = Size();
    if (size == 0)
        FSelEnd = 0;
    else if (v <= 0 || v >= size)
        FSelEnd = size - 1;
    else
        FSelEnd = v;
}

void TTxWavStream::Clear()
{
    TWavStream::Clear();
    FSelStart = 0;
    FSelEnd = 0;
}

void TTxWavStream::Assign(TStream& source)
{
    TWavStream::Assign(source);
    if (auto* wave = dynamic_cast<TTxWavStream*>(&source)) {
        const int32_t start = wave->FSelStart;
        const int32_t end = wave->FSelEnd;
        SetSelStart(start);
        SetSelEnd(end);
    }
}

void TTxWavStream::Swap(TTxWavStream& other) noexcept
{
    FData.swap(other.FData);
    std::swap(FOffset, other.FOffset);
    std::swap(FPosition, other.FPosition);
    std::swap(Format, other.Format);
    FormatExtra.swap(other.FormatExtra);
    FileName.swap(other.FileName);
    std::swap(FSelStart, other.FSelStart);
    std::swap(FSelEnd, other.FSelEnd);
}

uint8_t TTxWavStream::GetByte(int32_t i) const
{
    if (i < 0 || i >= Size())
        RaiseIndexOutOfRange();
    return Memory()[i];
}

void TTxWavStream::SetByte(int32_t i, uint8_t b)
{
    if (i < 0 || i >= Size())
        RaiseIndexOutOfRange();
    Memory()[i] = b;
}

int8_t TTxWavStream::GetSample(int32_t i) const
{
    return static_cast<int8_t>(GetByte(i) - 128);
}

void TTxWavStream::SetSample(int32_t i, int32_t s)
{
    SetByte(i, static_cast<uint8_t>((static_cast<uint32_t>(s) + 128u) & 0xFFu));
}

float TTxWavStream::ByteToValue(uint8_t b)
{
    return static_cast<float>(static_cast<int32_t>(b) - 128) / 127.0f;
}

uint8_t TTxWavStream::ValueToByte(float x)
{
    if (x > 1.0f)
        x = 1.0f;
    if (!(x >= -1.0f))
        x = -1.0f;
    // The product of a single and 127 is exact in double, so the tie decision is made
    // on the true value; nearbyint rounds ties to even in the default rounding mode.
    return static_cast<uint8_t>(static_cast<int32_t>(std::nearbyint(static_cast<double>(x) * 127.0)) + 128);
}

float TTxWavStream::GetValue(int32_t i) const
{
    return static_cast<float>(GetSample(i)) / 127.0f;
}

float TTxWavStream::GetMagnitude(int32_t i) const
{
    return std::fabs(GetValue(i));
}

void TTxWavStream::SetValue(int32_t i, float x)
{
    if (i < 0 || i >= Size())
        RaiseIndexOutOfRange();
    SetByte(i, ValueToByte(x));
}

void TTxWavStream::ScaleSample(int32_t i, float f)
{
    const float product = GetValue(i) * f;
    SetValue(i, product);
}

float TTxWavStream::AverageLevel(int32_t pos, int32_t span, int32_t count) const
{
    const int32_t size = Size();
    if (size <= 0 || count <= 0)
        return 0.0f;
    float level;
    if (span > size - 1 || span < count) {
        level = GetMagnitude(pos);
    } else {
        const int64_t step = span / count;
        float sum = 0.0f;
        int32_t points = 0;
        for (int64_t k = 0; k < count; ++k) {
            const int64_t p = int64_t{pos} + k * step;
            if (p < 0 || p >= size)
                continue;
            sum += GetMagnitude(static_cast<int32_t>(p));
            ++points;
        }
        level = points > 0 ? sum / static_cast<float>(points) : GetMagnitude(pos);
    }
    return std::clamp(level, 0.0f, 1.0f);
}

int32_t TTxWavStream::ColumnPeak(int32_t offset, int32_t count, int32_t precision) const
{
    int64_t first = offset;
    int64_t last = int64_t{offset} + count - 1;
    const int64_t step = precision >= 0 ? int64_t{1} << std::min(precision, 30) : 1;
    // The pane's column mapping keeps the range inside the wave; should it ever stray,
    // only the bytes that exist are examined, on the same grid.
    if (first < 0)
        first += (-first + step - 1) / step * step;
    last = std::min<int64_t>(last, GetSize() - 1);

    int32_t m = 0;
    if (count > 0 && first <= last) {
        const uint8_t* p = Memory() + first;
        const auto n = static_cast<int32_t>(last - first + 1);
        if (step == 1) {
            // Every byte: the block method (precision < 0) and precision 0 give the same
            // largest byte, so both take the vectorised path.
            m = MaxByteBlock(p, n);
        } else {
            m = MaxByteStrided(p, n, static_cast<int32_t>(step));
        }
    }
    return m >= 127 ? m - 127 : 127 - m;
}

int32_t TTxWavStream::SnapToCrossing(int32_t pos, int32_t range, bool backward) const
{
    const int32_t size = Size();
    if (size == 0 || pos < 0 || pos >= size)
        return pos;
    const uint8_t* b = Memory();
    int64_t r = range;
    if (!backward) {
        if (int64_t{pos} + r > size - 1)
            r = int64_t{size} - pos - 2;
        for (int64_t i = 1; i <= r - 1; ++i)
            if (b[pos + i - 1] < 127 && b[pos + i] >= 127)
                return static_cast<int32_t>(pos + i);
    } else {
        if (pos < r)
            r = int64_t{pos} - 1;
        for (int64_t k = 1; k <= r - 1; ++k)
            if (b[pos - k] < 127 && b[pos - k + 1] >= 127)
                return static_cast<int32_t>(pos - k + 1);
    }
    return pos;
}

void TTxWavStream::LoadFromPluginWave(const uint8_t* data, const TWaveFormatEx* format, int32_t selStart,
                                      int32_t selEnd, int32_t size)
{
    // The record comes from a library outside the program: refuse what cannot be copied.
    if (format == nullptr || size < 0 || (size > 0 && data == nullptr))
        RaiseIndexOutOfRange();
    TWaveFormatEx record;
    std::memcpy(&record, format, sizeof record);
    SetFormat(record);
    SetSize(size);
    if (size > 0)
        std::memcpy(Memory(), data, static_cast<size_t>(size));
    SetSelStart(selStart);
    SetSelEnd(selEnd);
}
