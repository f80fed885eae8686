#include "wave/Composing.h"

#include <cstring>
#include <optional>
#include <vector>

namespace {

// The source's selection as offsets and a length; none when nothing is selected.
struct TSelected {
    int32_t Start;
    int32_t End;
    int32_t Length;
};

std::optional<TSelected> SelectedOf(const TTxWavStream& source)
{
    const int32_t start = source.SelStart();
    const int32_t end = source.SelEnd();
    if (source.Size() == 0 || end < start)
        return std::nullopt;
    // The setters keep a selection inside its wave; only raw size changes can break it.
    if (start < 0 || end >= source.Size())
        throw EWavStreamError(WavText::IndexOutOfRange);
    return TSelected{start, end, end - start + 1};
}

void Select(TTxWavStream& wave, int32_t start, int32_t end)
{
    wave.SetSelStart(start);
    wave.SetSelEnd(end);
}

// The one temporary buffer a move inside a wave needs: a copy of the selection.
std::vector<uint8_t> CopyOfRange(const TTxWavStream& wave, const TSelected& range)
{
    std::vector<uint8_t> copy;
    TranslateOutOfMemory([&] {
        copy.assign(wave.Memory() + range.Start, wave.Memory() + range.Start + range.Length);
    });
    return copy;
}

} // namespace

namespace Composing {

bool InsertAtBeginning(TTxWavStream& target, TTxWavStream& source)
{
    const std::optional<TSelected> range = SelectedOf(source);
    if (!range)
        return false;
    const int32_t length = range->Length;

    if (&source == &target) {
        if (length >= target.Size() || range->Start == 0)
            return false;
        const std::vector<uint8_t> moved = CopyOfRange(target, *range);
        uint8_t* bytes = target.Memory();
        std::memmove(bytes + length, bytes, static_cast<size_t>(range->Start));
        std::memcpy(bytes, moved.data(), static_cast<size_t>(length));
        Select(target, 0, length - 1);
        return true;
    }

    // Grown in place: the former content slides up by the inserted length, so besides
    // the grown wave no copy of either content is needed. Growing is the only step that
    // can fail, and it fails before anything has changed.
    const int64_t former = target.GetSize();
    target.SetSize(former + length);
    uint8_t* bytes = target.Memory();
    std::memmove(bytes + length, bytes, static_cast<size_t>(former));
    std::memcpy(bytes, source.Memory() + range->Start, static_cast<size_t>(length));
    // The content is no longer the file's.
    target.FileName.clear();
    target.Seek(0, soBeginning);
    Select(target, 0, length - 1);
    return true;
}

bool AppendAtEnd(TTxWavStream& target, TTxWavStream& source)
{
    const std::optional<TSelected> range = SelectedOf(source);
    if (!range)
        return false;
    const int32_t length = range->Length;
    const int32_t size = target.Size();

    if (&source == &target) {
        if (length >= size || range->End >= size - 1)
            return false;
        const std::vector<uint8_t> moved = CopyOfRange(target, *range);
        uint8_t* bytes = target.Memory();
        std::memmove(bytes + range->Start, bytes + range->End + 1,
                     static_cast<size_t>(size - 1 - range->End));
        std::memcpy(bytes + size - length, moved.data(), static_cast<size_t>(length));
        Select(target, size - length, size - 1);
        return true;
    }

    target.SetSize(int64_t{size} + length);
    std::memcpy(target.Memory() + size, source.Memory() + range->Start, static_cast<size_t>(length));
    target.Seek(0, soEnd);
    Select(target, size, size + length - 1);
    return true;
}

bool ReplaceContent(TTxWavStream& target, TTxWavStream& source)
{
    if (&source == &target)
        return false;
    const std::optional<TSelected> range = SelectedOf(source);
    if (!range)
        return false;

    // Made in full beside the target and then exchanged with it, so running out of
    // memory leaves the target as it was. Only the selection is copied: a copy of the
    // whole source cut down afterwards would hold the whole source's memory.
    TTxWavStream copy;
    copy.Format = source.Format;
    TranslateOutOfMemory([&] { copy.FormatExtra = source.FormatExtra; });
    if (range->Length >= MinWaveSamples) {
        copy.Write(source.Memory() + range->Start, range->Length);
        copy.Seek(0, soBeginning);
        Select(copy, 0, range->Length - 1);
    }
    target.Swap(copy);
    return true;
}

} // namespace Composing
