#include "platform/acm_decoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "format/WavHeader.h"

namespace {

// Float sources may hold anything; integer ones are inside [-1, 1) already. Clipping
// before the filter is what sox does when it reads floats into its integer samples.
inline double Sane(double x)
{
    if (!(x == x)) return 0.0; // NaN
    return x > 1.0 ? 1.0 : (x < -1.0 ? -1.0 : x);
}

} // namespace

TAcmDecoder::~TAcmDecoder()
{
    if (FFile != nullptr) sf_close(FFile);
}

bool TAcmDecoder::Open(const TAcmSourceFormat& format, const uint8_t* data, uint32_t bytes)
{
    const auto& fmt = format.FmtChunk;
    FHeader = WavHeader(fmt.data(), static_cast<uint32_t>(fmt.size()), bytes);
    FData = data;
    FDataBytes = bytes;
    FPosition = 0;

    SF_VIRTUAL_IO io{&VioLength, &VioSeek, &VioRead, &VioWrite, &VioTell};
    SF_INFO info{};
    FFile = sf_open_virtual(&io, SFM_READ, &info, this);
    if (FFile == nullptr) return false;
    if (info.channels != format.Channels) return false;
    FChannels = info.channels;
    FKind = format.Kind;
    const int64_t blocks = bytes / format.BlockAlign;
    FFramesLeft = std::min<int64_t>(info.frames, blocks * format.FramesPerBlock);
    return true;
}

namespace {

// Each channel weighted by 1/channels and summed in channel order, as sox mixes.
// `scale` takes the integers to full scale 1; all of this is exact for one and two
// channels, so the path taken never changes a result.
template <typename T>
void MixIntegers(const T* in, sf_count_t frames, int channels, double scale, double* out)
{
    if (channels == 1) {
        for (sf_count_t i = 0; i < frames; ++i) out[i] = in[i] * scale;
    } else if (channels == 2) {
        const double half = scale * 0.5;
        for (sf_count_t i = 0; i < frames; ++i)
            out[i] = (static_cast<double>(in[2 * i]) + static_cast<double>(in[2 * i + 1])) * half;
    } else {
        const double weight = 1.0 / channels;
        for (sf_count_t i = 0; i < frames; ++i) {
            double sum = 0;
            for (int c = 0; c < channels; ++c) sum += in[i * channels + c] * scale * weight;
            out[i] = sum;
        }
    }
}

void MixFloats(const double* in, sf_count_t frames, int channels, double* out)
{
    const double weight = 1.0 / channels;
    for (sf_count_t i = 0; i < frames; ++i) {
        double sum = 0;
        for (int c = 0; c < channels; ++c) sum += Sane(in[i * channels + c]) * (channels == 1 ? 1.0 : weight);
        out[i] = sum;
    }
}

} // namespace

int64_t TAcmDecoder::ReadMono(double* out, int64_t count)
{
    count = std::min(count, FFramesLeft);
    if (count <= 0 || FFile == nullptr) return 0;
    const size_t wanted = static_cast<size_t>(count) * FChannels;
    sf_count_t got = 0;
    switch (FKind) {
    case TAcmSampleKind::Short:
        if (FShorts.size() < wanted) FShorts.resize(wanted);
        got = sf_readf_short(FFile, FShorts.data(), count);
        if (got > 0) MixIntegers(FShorts.data(), got, FChannels, 1.0 / 32768, out);
        break;
    case TAcmSampleKind::Int:
        if (FInts.size() < wanted) FInts.resize(wanted);
        got = sf_readf_int(FFile, FInts.data(), count);
        if (got > 0) MixIntegers(FInts.data(), got, FChannels, 1.0 / 2147483648.0, out);
        break;
    case TAcmSampleKind::Float:
        if (FDoubles.size() < wanted) FDoubles.resize(wanted);
        got = sf_readf_double(FFile, FDoubles.data(), count);
        if (got > 0) MixFloats(FDoubles.data(), got, FChannels, out);
        break;
    }
    if (got <= 0) {
        FFramesLeft = 0;
        return 0;
    }
    FFramesLeft -= got;
    return got;
}

sf_count_t TAcmDecoder::VioLength(void* self)
{
    auto* d = static_cast<TAcmDecoder*>(self);
    return static_cast<sf_count_t>(d->FHeader.size()) + d->FDataBytes;
}

sf_count_t TAcmDecoder::VioSeek(sf_count_t offset, int whence, void* self)
{
    auto* d = static_cast<TAcmDecoder*>(self);
    sf_count_t base = 0;
    if (whence == SEEK_CUR) base = d->FPosition;
    else if (whence == SEEK_END) base = VioLength(self);
    const sf_count_t target = base + offset;
    if (target < 0) return -1;
    d->FPosition = target;
    return target;
}

sf_count_t TAcmDecoder::VioRead(void* buffer, sf_count_t count, void* self)
{
    auto* d = static_cast<TAcmDecoder*>(self);
    auto* dest = static_cast<uint8_t*>(buffer);
    const sf_count_t headerSize = static_cast<sf_count_t>(d->FHeader.size());
    sf_count_t done = 0;
    if (count <= 0) return 0;
    if (d->FPosition < headerSize) {
        const sf_count_t n = std::min(count, headerSize - d->FPosition);
        std::memcpy(dest, d->FHeader.data() + d->FPosition, static_cast<size_t>(n));
        d->FPosition += n;
        done += n;
    }
    const sf_count_t dataPos = d->FPosition - headerSize;
    if (done < count && dataPos >= 0 && dataPos < d->FDataBytes) {
        const sf_count_t n = std::min(count - done, d->FDataBytes - dataPos);
        std::memcpy(dest + done, d->FData + dataPos, static_cast<size_t>(n));
        d->FPosition += n;
        done += n;
    }
    return done;
}

sf_count_t TAcmDecoder::VioWrite(const void*, sf_count_t, void*) { return 0; }

sf_count_t TAcmDecoder::VioTell(void* self) { return static_cast<TAcmDecoder*>(self)->FPosition; }
