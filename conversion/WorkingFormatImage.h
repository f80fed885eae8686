#pragma once
// A sound file as a WAV image in the working format: what the sound player is handed
// for files it cannot play as they are, so a preview sounds exactly like what opening
// the file gives.

#include <cstdint>
#include <string>
#include <vector>

// Reads the WAV file in any encoding the converter knows and returns it as a complete
// 44-byte-header WAV image in the working format. A file that cannot be opened, is no
// valid WAV, cannot be converted or does not fit in memory raises the file's, the wave
// streams' or the converter's error.
std::vector<uint8_t> WorkingFormatImage(const std::string& fileName);
