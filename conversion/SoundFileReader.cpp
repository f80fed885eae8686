#include "conversion/SoundFileReader.h"

#include <sndfile.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <utility>

#include "wave/Wavs_ex.h"

static_assert(std::endian::native == std::endian::little,
              "decoded samples are stored as the little-endian bytes of a WAV data chunk");

namespace {

// Most decoded bytes per file byte set aside in advance, and the room always granted.
constexpr int64_t PlausibleExpansion = 64;
constexpr int64_t MinimumRoom = 16 << 20;

// The sample layout a WAV of the decoded samples would carry.
enum class TLayout { Unsigned8, Signed16, Signed24, Signed32, Float32 };

TLayout LayoutOf(int format)
{
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_DPCM_8:
        return TLayout::Unsigned8;
    // Companded and ADPCM encodings decode to at most 16 significant bits.
    case SF_FORMAT_PCM_16:
    case SF_FORMAT_ALAC_16:
    case SF_FORMAT_DPCM_16:
    case SF_FORMAT_DWVW_12:
    case SF_FORMAT_DWVW_16:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW:
    case SF_FORMAT_IMA_ADPCM:
    case SF_FORMAT_MS_ADPCM:
    case SF_FORMAT_GSM610:
    case SF_FORMAT_VOX_ADPCM:
    case SF_FORMAT_NMS_ADPCM_16:
    case SF_FORMAT_NMS_ADPCM_24:
    case SF_FORMAT_NMS_ADPCM_32:
    case SF_FORMAT_G721_32:
    case SF_FORMAT_G723_24:
    case SF_FORMAT_G723_40:
        return TLayout::Signed16;
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_ALAC_20:
    case SF_FORMAT_ALAC_24:
    case SF_FORMAT_DWVW_24:
        return TLayout::Signed24;
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_ALAC_32:
        return TLayout::Signed32;
    default:
        // Float, double, Vorbis, Opus, MPEG, variable-width DWVW: their decoders
        // produce floating-point values, which 32-bit float keeps.
        return TLayout::Float32;
    }
}

int BytesPerSample(TLayout layout)
{
    switch (layout) {
    case TLayout::Unsigned8: return 1;
    case TLayout::Signed16: return 2;
    case TLayout::Signed24: return 3;
    case TLayout::Signed32:
    case TLayout::Float32: return 4;
    }
    return 4;
}

class TSoundFile {
public:
    explicit TSoundFile(const std::string& fileName) : FFile(sf_open(fileName.c_str(), SFM_READ, &Info)) {}
    ~TSoundFile()
    {
        if (FFile) sf_close(FFile);
    }
    TSoundFile(const TSoundFile&) = delete;
    TSoundFile& operator=(const TSoundFile&) = delete;

    SNDFILE* Handle() const { return FFile; }
    SF_INFO Info{};

private:
    SNDFILE* FFile;
};

std::string TooLargeText()
{
    return "Wave too large: a wave holds at most " + std::to_string(TMemoryStream::MaxSize) + " bytes.";
}

[[noreturn]] void RaiseDecodingFailed(SNDFILE* file)
{
    std::string text = sf_strerror(file);
    // libsndfile opens some of its texts with "Error : ".
    const std::string lead = "Error : ";
    if (text.compare(0, lead.size(), lead) == 0) text.erase(0, lead.size());
    throw ESoundFileError("Decoding failed: " + text);
}

TWaveFormatEx FormatRecord(TLayout layout, int channels, int rate)
{
    const int bytes = BytesPerSample(layout);
    TWaveFormatEx f{};
    f.wFormatTag = layout == TLayout::Float32 ? WAVE_FORMAT_IEEE_FLOAT : WAVE_FORMAT_PCM;
    f.nChannels = static_cast<uint16_t>(channels);
    f.nSamplesPerSec = static_cast<uint32_t>(rate);
    f.nBlockAlign = static_cast<uint16_t>(channels * bytes);
    f.nAvgBytesPerSec = f.nSamplesPerSec * f.nBlockAlign;
    f.wBitsPerSample = static_cast<uint16_t>(8 * bytes);
    return f;
}

// Decodes block after block into the wave from its Position on, growing it where the
// bytes run past its end; the wave's own growth limit stops a stream that turns out
// longer than its header said.
void Decode(SNDFILE* file, TLayout layout, int channels, TWavStream& wave)
{
    const sf_count_t frames = std::max(1, 16384 / channels);
    const size_t samples = static_cast<size_t>(frames * channels);
    const int width = BytesPerSample(layout);
    std::vector<int32_t> ints(layout == TLayout::Float32 ? 0 : samples);
    std::vector<int16_t> shorts(layout == TLayout::Unsigned8 || layout == TLayout::Signed16 ? samples : 0);
    std::vector<float> floats(layout == TLayout::Float32 ? samples : 0);
    std::vector<uint8_t> bytes(samples * static_cast<size_t>(width));

    for (;;) {
        sf_count_t got = 0;
        switch (layout) {
        case TLayout::Unsigned8:
            got = sf_readf_short(file, shorts.data(), frames);
            // libsndfile scales 8-bit samples to the top byte of a short.
            for (sf_count_t i = 0; i < got * channels; ++i)
                bytes[i] = static_cast<uint8_t>((shorts[i] >> 8) + 128);
            break;
        case TLayout::Signed16:
            got = sf_readf_short(file, shorts.data(), frames);
            std::memcpy(bytes.data(), shorts.data(), static_cast<size_t>(got * channels) * 2);
            break;
        case TLayout::Signed24:
            got = sf_readf_int(file, ints.data(), frames);
            // A 24-bit sample sits in the top three bytes of an int.
            for (sf_count_t i = 0; i < got * channels; ++i) {
                const uint32_t v = static_cast<uint32_t>(ints[i]) >> 8;
                bytes[3 * i] = static_cast<uint8_t>(v);
                bytes[3 * i + 1] = static_cast<uint8_t>(v >> 8);
                bytes[3 * i + 2] = static_cast<uint8_t>(v >> 16);
            }
            break;
        case TLayout::Signed32:
            got = sf_readf_int(file, ints.data(), frames);
            std::memcpy(bytes.data(), ints.data(), static_cast<size_t>(got * channels) * 4);
            break;
        case TLayout::Float32:
            got = sf_readf_float(file, floats.data(), frames);
            std::memcpy(bytes.data(), floats.data(), static_cast<size_t>(got * channels) * 4);
            break;
        }
        if (got <= 0) break;
        const int64_t count = got * channels * width;
        const int64_t at = wave.GetPosition();
        if (at + count <= wave.GetSize()) {
            std::memcpy(wave.Memory() + at, bytes.data(), static_cast<size_t>(count));
            wave.SetPosition(at + count);
        } else {
            wave.Write(bytes.data(), count);
        }
    }
    if (sf_error(file) != SF_ERR_NO_ERROR) RaiseDecodingFailed(file);
}

} // namespace

std::string EndedEarlyText(const std::string& fileName, const TEndedEarly& early)
{
    const auto seconds = [&](int64_t frames) {
        char text[32];
        std::snprintf(text, sizeof text, "%.3f", early.Rate > 0 ? double(frames) / early.Rate : 0.0);
        return std::string(text);
    };
    const int64_t percent = early.Claimed > 0 ? early.Decoded * 100 / early.Claimed : 0;
    return "File \"" + fileName + "\" ended early: " + seconds(early.Decoded) + " of " + seconds(early.Claimed) +
           " seconds (" + std::to_string(percent) + "%) could be read; that part was opened.";
}

bool LoadSoundFile(const std::string& fileName, TWavStream& wave, TEndedEarly* endedEarly)
{
    TSoundFile sound(fileName);
    const SF_INFO& info = sound.Info;
    // Without a header libsndfile guesses from the name alone (a text file named
    // ".au" would play as u-law noise): that is no recognition.
    if (!sound.Handle() || (info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_RAW) return false;

    const TLayout layout = LayoutOf(info.format);
    const int64_t frameBytes = int64_t{info.channels} * BytesPerSample(layout);
    if (info.channels <= 0 || frameBytes > UINT16_MAX)
        throw ESoundFileError("Unsupported number of channels: " + std::to_string(info.channels) + ".");
    if (info.samplerate <= 0 || int64_t{info.samplerate} * frameBytes > int64_t{UINT32_MAX})
        throw ESoundFileError("Unsupported sample rate: " + std::to_string(info.samplerate) + " samples per second.");
    const bool lengthKnown = info.frames >= 0 && info.frames < SF_COUNT_MAX;
    if (lengthKnown && info.frames > TMemoryStream::MaxSize / frameBytes) throw EStreamError(TooLargeText());

    wave.ReleaseBuffer();
    wave.FileName.clear();
    wave.Format = FormatRecord(layout, info.channels, info.samplerate);
    wave.FormatExtra.clear();
    // Room for the length the header claims saves growing step by step (a third of the
    // decoding time), but a header may lie: no more is set aside than the file could
    // plausibly hold, and the rest grows as it is decoded.
    if (lengthKnown) {
        std::error_code error;
        const auto fileSize = static_cast<int64_t>(std::filesystem::file_size(fileName, error));
        const int64_t plausible = std::max<int64_t>(error ? 0 : fileSize * PlausibleExpansion, MinimumRoom);
        wave.SetSize(std::min(info.frames * frameBytes, plausible));
        wave.SetPosition(0);
    }
    Decode(sound.Handle(), layout, info.channels, wave);
    // A file cut short may end cleanly at a frame boundary: the decoder then simply
    // stops, and only the header's length tells that something is missing.
    const int64_t decoded = wave.GetPosition() / frameBytes;
    if (lengthKnown && decoded < info.frames && endedEarly)
        *endedEarly = TEndedEarly{decoded, info.frames, info.samplerate};
    wave.SetSize(wave.GetPosition());
    wave.SetPosition(0);
    wave.FileName = fileName;
    return true;
}

std::vector<std::string> SoundFileExtensions()
{
    std::set<int> subtypes;
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_SUBTYPE_COUNT, &count, sizeof count);
    for (int i = 0; i < count; ++i) {
        SF_FORMAT_INFO entry{};
        entry.format = i;
        if (sf_command(nullptr, SFC_GET_FORMAT_SUBTYPE, &entry, sizeof entry) == 0) subtypes.insert(entry.format);
    }
    const auto has = [&](int subtype) { return subtypes.count(subtype) > 0; };

    // Names the same kinds go by beside libsndfile's one extension per kind.
    const std::pair<int, std::vector<std::pair<int, const char*>>> aliases[] = {
        {SF_FORMAT_AIFF, {{0, "aif"}, {0, "aifc"}}},
        {SF_FORMAT_AU, {{0, "snd"}}},
        {SF_FORMAT_OGG, {{SF_FORMAT_VORBIS, "ogg"}, {SF_FORMAT_OPUS, "opus"}}},
        {SF_FORMAT_MPEG,
         {{SF_FORMAT_MPEG_LAYER_I, "mp1"}, {SF_FORMAT_MPEG_LAYER_II, "mp2"}, {SF_FORMAT_MPEG_LAYER_III, "mp3"}}},
    };

    std::set<std::string> extensions;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
    for (int i = 0; i < count; ++i) {
        SF_FORMAT_INFO entry{};
        entry.format = i;
        if (sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &entry, sizeof entry) != 0 || !entry.extension) continue;
        const int major = entry.format & SF_FORMAT_TYPEMASK;
        // Header-less files are never recognised (see LoadSoundFile).
        if (major == SF_FORMAT_RAW) continue;
        std::string extension = entry.extension;
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
        if (!extension.empty()) extensions.insert(extension);
        for (const auto& [kind, names] : aliases) {
            if (kind != major) continue;
            for (const auto& [subtype, name] : names)
                if (subtype == 0 || has(subtype)) extensions.insert(name);
        }
    }
    return {extensions.begin(), extensions.end()};
}
