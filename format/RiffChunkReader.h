#pragma once
// Walks the chunks of a RIFF WAVE image held in memory. The WAV reader and the player
// both walk with it; what a chunk reaching beyond the bytes held means is theirs to say.

#include <cstddef>
#include <cstdint>

class TRiffChunkReader {
public:
    TRiffChunkReader(const uint8_t* image, size_t size) : FImage(image), FImageSize(size) {}

    // The image starts with "RIFF", four size bytes and "WAVE". The RIFF size is not
    // read: the walk is bounded by the bytes actually held.
    bool IsWave() const;
    // Moves to the first chunk after the 12-byte head, then to the one after it; false
    // once fewer than 8 bytes are left for a chunk header.
    bool Next();

    // Whether the current chunk has the four-character id.
    bool Is(const char* id) const;
    // The size the chunk's header gives; the body may reach beyond the bytes held.
    uint32_t Size() const { return FSize; }
    // Where the body starts, as a pointer and as an offset into the image.
    const uint8_t* Body() const { return FImage + FBody; }
    size_t BodyOffset() const { return static_cast<size_t>(FBody); }
    // How many bytes of the body are held: Size(), or fewer at the end of the image.
    size_t Held() const;

private:
    const uint8_t* FImage;
    size_t FImageSize;
    uint64_t FNext = 12; // the next chunk header
    uint64_t FBody = 0;
    uint32_t FSize = 0;
};
