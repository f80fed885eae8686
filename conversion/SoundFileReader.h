#pragma once
// Sound files that are not WAV files (FLAC, Ogg Vorbis, Opus, MP3, AIFF, AU, CAF, W64 and
// whatever else the installed libsndfile reads), decoded into exactly the wave the WAV
// reader makes of a WAV holding the same samples. They then take the same road to the
// working format as any WAV, so a FLAC and a WAV of the same samples end up byte-identical.

#include <cstdint>
#include <string>
#include <vector>

#include "wave/Exception.h"

class TWavStream;

// A file libsndfile recognises but cannot decode to its end.
class ESoundFileError : public Exception {
public:
    using Exception::Exception;
};

// A file that held fewer frames than its header gave: Decoded of Claimed frames, at
// Rate frames per second.
struct TEndedEarly {
    int64_t Decoded = 0;
    int64_t Claimed = 0;
    int Rate = 0;
};

// "File "<fileName>" ended early: 1.486 of 3.000 seconds (49%) could be read; that part
// was opened."
std::string EndedEarlyText(const std::string& fileName, const TEndedEarly& early);

// Reads the whole file into wave (bytes, Format, FormatExtra and FileName, as
// LoadFromFile does; the selection is not touched). Integer samples stay integers of
// their own width: 8-bit as unsigned PCM, 16, 24 and 32-bit as signed PCM (companded and
// ADPCM encodings as 16-bit); float, double and the lossy codecs become 32-bit float.
// Returns false and leaves wave untouched when libsndfile does not recognise the file
// (a header-less guess from the name alone does not count). A sound longer than a wave
// may hold raises EStreamError before anything is decoded; a decoding failure raises
// ESoundFileError. A file that ends cleanly before the length its header gives keeps
// what was decoded; endedEarly (when given) then tells how much that was, and is left
// untouched otherwise.
bool LoadSoundFile(const std::string& fileName, TWavStream& wave, TEndedEarly* endedEarly = nullptr);

// The lower-case extensions (without the point) of the file kinds the installed
// libsndfile reads, with the usual aliases (aif, ogg, opus, mp3 ...), sorted, each once.
std::vector<std::string> SoundFileExtensions();
