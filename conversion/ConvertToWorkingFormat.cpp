#include "conversion/ConvertToWorkingFormat.h"

#include <algorithm>
#include <cstring>
#include <cstdint>

#include "conversion/ACMConvertor.h"
#include "wave/Wavs_ex.h"

namespace {

// Whether the bytes are plain PCM samples: the PCM tag, or the extensible layout whose
// sub-format (the GUID after the valid-bits word and the channel mask) starts with it.
bool HoldsPcmSamples(const TTxWavStream& wave)
{
    return SampleFormatTag(wave.Format.wFormatTag, wave.FormatExtra.data(), wave.FormatExtra.size()) ==
           WAVE_FORMAT_PCM;
}

} // namespace

void ConvertToWorkingFormat(TACMConvertor& convertor, TTxWavStream& source, TTxWavStream& destination)
{
    const TWaveFormatEx working = convertor.ACMFormatOut.Head();
    // Same layout is not enough: 8-bit mono 22050 Hz u-law or A-law bytes copied as they
    // are would play as loud noise, so only PCM samples take the copy path.
    if (source.IsSameFormat(working) && HoldsPcmSamples(source)) {
        destination.Assign(source);
        return;
    }

    destination.Clear();
    destination.SetFormat(working);
    destination.FormatExtra.clear();

    convertor.SetActive(false);
    convertor.SetInputBufferSize(source.Size());

    // The source's head, then the fmt chunk's extra bytes the file carried: without
    // them compressed sources lack their block layout and an extensible one its real
    // encoding (a float file would be read as integers).
    TACMFormat& in = convertor.ACMFormatIn;
    in.SetHead(source.Format);
    const size_t extra = std::min<size_t>(source.FormatExtra.size(), TACMFormat::Size - sizeof(TWaveFormatEx));
    uint8_t* tail = in.Bytes.data() + sizeof(TWaveFormatEx);
    std::fill(tail, in.Bytes.data() + TACMFormat::Size, uint8_t{0});
    if (extra > 0) std::memcpy(tail, source.FormatExtra.data(), extra);

    // The bytes stay where they are: the converter reads the source's own bytes, and the
    // output is made in the destination, sized for the whole wave. A second copy of a
    // long sound would cost more than the conversion itself.
    convertor.LendInputBuffer(source.Memory());
    convertor.LendOutputBuffer([&destination](int32_t size) {
        destination.SetSize(size);
        return destination.Memory();
    });
    try {
        convertor.SetActive(true);
        // A platform never reports more than it was given room for; should one do so,
        // only the buffer's bytes are taken.
        const int32_t produced = std::clamp(convertor.Convert(), 0, convertor.OutputBufferSize());
        destination.SetSize(produced);
    } catch (...) {
        // The destination held the output buffer: it is left empty, as before a conversion.
        convertor.LendInputBuffer(nullptr);
        convertor.LendOutputBuffer(nullptr);
        destination.Clear();
        throw;
    }
    convertor.SetActive(false);
}
