#pragma once
// Sound files that are not WAV files (FLAC, Ogg Vorbis, Opus, MP3, AIFF, AU, CAF, W64 and
// whatever else the installed libsndfile reads), decoded into exactly the wave the WAV
// reader makes of a WAV holding the same samples. They then take the same road to the
// working format as any WAV, so a FLAC and a WAV of the same samples end up byte-identical.

#include <string>
#include <vector>

#include "wave/Exception.h"

class TWavStream;

// A file libsndfile recognises but cannot decode to its end.
class ESoundFileError : public Exception {
public:
    using Exception::Exception;
};

// Reads the whole file into wave (bytes, Format, FormatExtra and FileName, as
// LoadFromFile does; the selection is not touched). Integer samples stay integers of
// their own width: 8-bit as unsigned PCM, 16, 24 and 32-bit as signed PCM (companded and
// ADPCM encodings as 16-bit); float, double and the lossy codecs become 32-bit float.
// Returns false and leaves wave untouched when libsndfile does not recognise the file
// (a header-less guess from the name alone does not count). A sound longer than a wave
// may hold raises EStreamError before anything is decoded; a decoding failure raises
// ESoundFileError.
bool LoadSoundFile(const std::string& fileName, TWavStream& wave);

// The lower-case extensions (without the point) of the file kinds the installed
// libsndfile reads, with the usual aliases (aif, ogg, opus, mp3 ...), sorted, each once.
std::vector<std::string> SoundFileExtensions();
