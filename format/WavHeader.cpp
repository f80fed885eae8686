#include "format/WavHeader.h"

#include <algorithm>
#include <cstring>

#include "format/WaveFormat.h"

std::vector<uint8_t> WavHeader(const void* fmt, uint32_t fmtSize, uint32_t dataBytes)
{
    const uint64_t fmtPadded = uint64_t{fmtSize} + (fmtSize & 1);
    std::vector<uint8_t> header(static_cast<size_t>(12 + 8 + fmtPadded + 8), 0);
    uint8_t* p = header.data();
    std::memcpy(p, "RIFF", 4);
    WriteLE32(p + 4, static_cast<uint32_t>(std::min<uint64_t>(header.size() - 8 + uint64_t{dataBytes}, 0xFFFFFFFF)));
    std::memcpy(p + 8, "WAVEfmt ", 8);
    WriteLE32(p + 16, fmtSize);
    if (fmtSize > 0)
        std::memcpy(p + 20, fmt, fmtSize);
    std::memcpy(p + 20 + fmtPadded, "data", 4);
    WriteLE32(p + 24 + fmtPadded, dataBytes);
    return header;
}
