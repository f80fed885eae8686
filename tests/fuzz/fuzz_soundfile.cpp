// Arbitrary bytes as a sound file that is no WAV file: decoded by libsndfile into a wave,
// then brought into the working format the way an opened file is. Failures must be clean
// exceptions; anything else (a crash, a sanitizer report, a hang) is a finding.
#include <cstddef>
#include <cstdint>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

#include "conversion/ACMConvertor.h"
#include "conversion/ConvertToWorkingFormat.h"
#include "conversion/SoundFileReader.h"
#include "wave/Wavs_ex.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static TACMConvertor convertor;
    // The reader opens files by name: the bytes go into a file in memory, named through
    // /proc so no disk is touched.
    static const int file = memfd_create("fuzz-sound", 0);
    static const std::string name = "/proc/self/fd/" + std::to_string(file);
    if (file < 0 || ftruncate(file, 0) != 0 || pwrite(file, data, size, 0) != static_cast<ssize_t>(size))
        return 0;

    TTxWavStream source;
    try {
        if (!LoadSoundFile(name, source))
            return 0;
    } catch (const Exception&) {
        return 0;
    }
    // Long sounds are legitimate but only slow the search down.
    if (source.Size() > (16 << 20))
        return 0;
    TTxWavStream destination;
    try {
        ConvertToWorkingFormat(convertor, source, destination);
    } catch (const Exception&) {
        return 0;
    }
    if (!destination.IsSameFormat(convertor.ACMFormatOut.Head())) __builtin_trap();
    return 0;
}
