#pragma once
// The header of a WAV image, up to its samples.

#include <cstdint>
#include <vector>

// "RIFF" and the size of all that follows it (the rest of the header and dataBytes,
// at most 2^32 - 1), "WAVE", a "fmt " chunk holding the fmtSize bytes at fmt (with a
// zero pad byte after an odd size) and the head of a "data" chunk of dataBytes.
std::vector<uint8_t> WavHeader(const void* fmt, uint32_t fmtSize, uint32_t dataBytes);
