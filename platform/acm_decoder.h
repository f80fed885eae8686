#pragma once
// Decodes a source buffer with libsndfile. The buffer is presented to libsndfile as
// a WAV image (RIFF header, the synthesised "fmt " chunk, a "data" chunk) through
// virtual I/O, so the sample bytes are read in place and never copied.

#include <cstdint>
#include <vector>

#include <sndfile.h>

#include "platform/acm_format.h"

class TAcmDecoder {
public:
    TAcmDecoder() = default;
    ~TAcmDecoder();
    TAcmDecoder(const TAcmDecoder&) = delete;
    TAcmDecoder& operator=(const TAcmDecoder&) = delete;

    // Opens `bytes` bytes of `data` (whole blocks) in `format`; `data` must outlive the
    // decoder. False when libsndfile refuses the image.
    bool Open(const TAcmSourceFormat& format, const uint8_t* data, uint32_t bytes);

    // Reads up to `count` frames, each the average of its channels, clipped to [-1, 1]
    // (non-finite values read as 0), into `out`. Never yields more frames than the
    // whole blocks hold, so a decoder's block padding is cut off. Returns the frames read.
    int64_t ReadMono(double* out, int64_t count);

    int64_t FramesLeft() const { return FFramesLeft; }

private:
    static sf_count_t VioLength(void* self);
    static sf_count_t VioSeek(sf_count_t offset, int whence, void* self);
    static sf_count_t VioRead(void* buffer, sf_count_t count, void* self);
    static sf_count_t VioWrite(const void* buffer, sf_count_t count, void* self);
    static sf_count_t VioTell(void* self);

    std::vector<uint8_t> FHeader;
    const uint8_t* FData = nullptr;
    int64_t FDataBytes = 0;
    int64_t FPosition = 0;
    SNDFILE* FFile = nullptr;
    int FChannels = 0;
    TAcmSampleKind FKind = TAcmSampleKind::Short;
    int64_t FFramesLeft = 0;
    std::vector<int16_t> FShorts;
    std::vector<int32_t> FInts;
    std::vector<double> FDoubles;
};
