#include "format/RiffChunkReader.h"

#include <algorithm>
#include <cstring>

#include "format/WaveFormat.h"

bool TRiffChunkReader::IsWave() const
{
    return FImageSize >= 12 && std::memcmp(FImage, "RIFF", 4) == 0 && std::memcmp(FImage + 8, "WAVE", 4) == 0;
}

// Sizes are unsigned 32-bit values and all offsets are computed in 64 bits, so a huge
// size can only point past the end, never backwards.
bool TRiffChunkReader::Next()
{
    if (FNext > FImageSize || FImageSize - FNext < 8)
        return false;
    const uint8_t* header = FImage + FNext;
    FSize = ReadLE32(header + 4);
    FBody = FNext + 8;
    // RIFF pads every odd-sized chunk to an even length.
    FNext = FBody + FSize + (FSize & 1);
    return true;
}

bool TRiffChunkReader::Is(const char* id) const
{
    return std::memcmp(FImage + FBody - 8, id, 4) == 0;
}

size_t TRiffChunkReader::Held() const
{
    return static_cast<size_t>(std::min<uint64_t>(FSize, FImageSize - FBody));
}
