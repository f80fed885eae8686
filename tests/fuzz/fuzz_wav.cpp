// Arbitrary bytes as a WAV file: parsed by the wave stream, then brought into the
// working format the way an opened file is. Failures must be clean exceptions;
// anything else (a crash, a sanitizer report, a hang) is a finding.
#include <cstddef>
#include <cstdint>

#include "conversion/ACMConvertor.h"
#include "conversion/ConvertToWorkingFormat.h"
#include "platform/acm_format.h"
#include "wave/Wavs_ex.h"

namespace {

// Output samples a conversion would make, roughly; huge stretches (a 1 Hz file) are
// legitimate but would only slow the search down.
double ExpectedOutputSamples(const TTxWavStream& wave)
{
    const TWaveFormatEx& f = wave.Format;
    if (f.nBlockAlign == 0 || f.nSamplesPerSec == 0) return 0;
    double framesPerBlock = 1;
    if (f.wFormatTag == WAVE_FORMAT_IMA_ADPCM) framesPerBlock = ImaAdpcmFramesPerBlock(f.nBlockAlign, f.nChannels);
    else if (f.wFormatTag == WAVE_FORMAT_ADPCM) framesPerBlock = MsAdpcmFramesPerBlock(f.nBlockAlign, f.nChannels);
    else if (f.wFormatTag == WAVE_FORMAT_GSM610) framesPerBlock = Gsm610FramesPerBlock;
    return static_cast<double>(wave.Size() / f.nBlockAlign) * framesPerBlock * 22050.0 / f.nSamplesPerSec;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // One converter for the whole run, like the window's: a failure inside one
    // conversion must not spoil the next.
    static TACMConvertor convertor;

    TMemoryStream image;
    if (size > 0) image.Write(data, static_cast<int64_t>(size));
    TTxWavStream source;
    try {
        source.LoadFromStream(image);
    } catch (const Exception&) {
        return 0;
    }
    if (ExpectedOutputSamples(source) > 4e6) return 0;

    TTxWavStream destination;
    try {
        ConvertToWorkingFormat(convertor, source, destination);
    } catch (const Exception&) {
        return 0;
    }
    // What came out is the working format, and no more than the converter could hold.
    if (!destination.IsSameFormat(convertor.ACMFormatOut.Head())) __builtin_trap();
    return 0;
}
