#pragma once
// Helpers shared by the conversion tests: WAV images built in code, sox-made files in
// a temporary folder, and measuring a tone in a working-format wave.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "conversion/ACMConvertor.h"
#include "wave/Wavs_ex.h"
#include "tests/support/TestWaves.h"

using testwaves::Bytes;

namespace acmtest {

inline void Put16(std::vector<uint8_t>& v, uint32_t x)
{
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}

inline void Put32(std::vector<uint8_t>& v, uint32_t x)
{
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}

inline void PutId(std::vector<uint8_t>& v, const char* id) { v.insert(v.end(), id, id + 4); }

// An 18-byte head in a record of its own.
inline TWaveFormatEx Head(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t align, uint16_t bits,
                          uint16_t extraSize = 0)
{
    return TWaveFormatEx{tag, channels, rate, rate * align, align, bits, extraSize};
}

// A 129-byte record: the head, then `extra`.
inline TACMFormat Record(const TWaveFormatEx& head, const std::vector<uint8_t>& extra = {})
{
    TACMFormat f;
    f.SetHead(head);
    if (!extra.empty()) std::memcpy(f.Bytes.data() + sizeof(TWaveFormatEx), extra.data(), extra.size());
    return f;
}

// The 22 extra bytes of WAVE_FORMAT_EXTENSIBLE for a sub-format tag.
inline std::vector<uint8_t> ExtensibleExtra(uint16_t validBits, uint32_t channelMask, uint16_t subTag)
{
    std::vector<uint8_t> v;
    Put16(v, validBits);
    Put32(v, channelMask);
    Put16(v, subTag);
    const uint8_t tail[14] = {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    v.insert(v.end(), tail, tail + 14);
    return v;
}

// A complete WAV image: "fmt " with the head (and extra bytes when given), then "data".
inline std::vector<uint8_t> WavImage(const TWaveFormatEx& head, const std::vector<uint8_t>& extra,
                                     const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> v;
    PutId(v, "RIFF");
    Put32(v, 0);
    PutId(v, "WAVE");
    PutId(v, "fmt ");
    const bool withExtra = !extra.empty() || head.cbSize != 0;
    Put32(v, withExtra ? static_cast<uint32_t>(18 + extra.size()) : 16);
    const auto* h = reinterpret_cast<const uint8_t*>(&head);
    v.insert(v.end(), h, h + (withExtra ? 18 : 16));
    v.insert(v.end(), extra.begin(), extra.end());
    PutId(v, "data");
    Put32(v, static_cast<uint32_t>(data.size()));
    v.insert(v.end(), data.begin(), data.end());
    const uint32_t riff = static_cast<uint32_t>(v.size() - 8);
    std::memcpy(v.data() + 4, &riff, 4);
    return v;
}

// Little-endian samples of a sine, full scale = 2^(bits-1), rounded.
inline std::vector<uint8_t> SinePcm(int bits, int channels, uint32_t rate, int frames, double freq, double amp)
{
    std::vector<uint8_t> v;
    for (int i = 0; i < frames; ++i) {
        const double x = amp * std::sin(2 * M_PI * freq * i / rate);
        for (int c = 0; c < channels; ++c) {
            if (bits == 8) {
                v.push_back(static_cast<uint8_t>(std::lrint(x * 127) + 128));
            } else {
                const int64_t s = std::llrint(x * (std::ldexp(1.0, bits - 1) - 1));
                for (int b = 0; b < bits / 8; ++b) v.push_back(static_cast<uint8_t>(s >> (8 * b)));
            }
        }
    }
    return v;
}

inline std::vector<uint8_t> SineFloat(int channels, uint32_t rate, int frames, double freq, double amp)
{
    std::vector<uint8_t> v;
    for (int i = 0; i < frames; ++i) {
        const float x = static_cast<float>(amp * std::sin(2 * M_PI * freq * i / rate));
        for (int c = 0; c < channels; ++c) {
            const auto* p = reinterpret_cast<const uint8_t*>(&x);
            v.insert(v.end(), p, p + 4);
        }
    }
    return v;
}

// Loads a WAV image into a wave the way a file is loaded.
inline void LoadImage(TTxWavStream& wave, const std::vector<uint8_t>& image)
{
    TMemoryStream memory;
    memory.Write(image.data(), static_cast<int64_t>(image.size()));
    wave.LoadFromStream(memory);
}


inline std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The bytes of the first "data" chunk of a WAV file.
inline std::vector<uint8_t> DataChunk(const std::vector<uint8_t>& file)
{
    size_t p = 12;
    while (p + 8 <= file.size()) {
        uint32_t size;
        std::memcpy(&size, &file[p + 4], 4);
        if (std::memcmp(&file[p], "data", 4) == 0)
            return {file.begin() + static_cast<long>(p + 8),
                    file.begin() + static_cast<long>(std::min<size_t>(file.size(), p + 8 + size))};
        p += 8 + size + (size & 1);
    }
    return {};
}

inline std::string SourceDir()
{
    const char* dir = std::getenv("SONOVANE_SOURCE_DIR");
    return dir != nullptr ? dir : ".";
}

inline std::string FixturePath(const std::string& name) { return SourceDir() + "/tests/fixtures/" + name; }

inline bool HaveSox() { return std::system("command -v sox >/dev/null 2>&1") == 0; }

#define SKIP_WITHOUT_SOX()                                                                       \
    do {                                                                                         \
        if (!acmtest::HaveSox()) GTEST_SKIP() << "sox is not installed; install it to run this"; \
    } while (0)

// A temporary folder removed with its content.
class TTempDir {
public:
    TTempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "sonovane-acm-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) FPath = pattern;
    }
    ~TTempDir()
    {
        std::error_code ec;
        if (!FPath.empty()) std::filesystem::remove_all(FPath, ec);
    }
    std::string operator/(const std::string& name) const { return FPath + "/" + name; }

private:
    std::string FPath;
};

// Runs sox with the arguments (no shell quoting needed for our own file names).
inline bool Sox(const std::string& args) { return std::system(("sox " + args + " 2>/dev/null").c_str()) == 0; }

// Amplitude (in units of full scale) of the component at `freq` of an 8-bit wave.
inline double ToneAmplitude(const std::vector<uint8_t>& wave, double freq, double rate, size_t from, size_t to)
{
    double re = 0, im = 0;
    for (size_t i = from; i < to; ++i) {
        const double x = (static_cast<int>(wave[i]) - 128) / 128.0;
        re += x * std::cos(2 * M_PI * freq * static_cast<double>(i) / rate);
        im += x * std::sin(2 * M_PI * freq * static_cast<double>(i) / rate);
    }
    return 2 * std::hypot(re, im) / static_cast<double>(to - from);
}

struct TTone {
    double Frequency = 0; // from the zero crossings
    double Amplitude = 0; // of the 1 kHz component, full scale 1
    double Rms = 0;       // of the whole measured range, full scale 1
};

// Measures the middle of a working-format wave (away from the filters' edges).
inline TTone MeasureTone(const std::vector<uint8_t>& wave, double rate = 22050, double expected = 1000)
{
    TTone tone;
    const size_t margin = wave.size() / 8;
    const size_t from = margin, to = wave.size() - margin;
    if (to <= from + 100) return tone;
    // Rising crossings of the zero line, with a little hysteresis against noise.
    int crossings = 0;
    size_t first = 0, last = 0;
    bool low = false;
    for (size_t i = from; i < to; ++i) {
        const int s = static_cast<int>(wave[i]) - 128;
        if (s < -2) low = true;
        else if (low && s >= 0) {
            low = false;
            if (crossings++ == 0) first = i;
            last = i;
        }
    }
    if (crossings > 1) tone.Frequency = (crossings - 1) * rate / static_cast<double>(last - first);
    tone.Amplitude = ToneAmplitude(wave, expected, rate, from, to);
    double sum = 0;
    for (size_t i = from; i < to; ++i) {
        const double x = (static_cast<int>(wave[i]) - 128) / 128.0;
        sum += x * x;
    }
    tone.Rms = std::sqrt(sum / static_cast<double>(to - from));
    return tone;
}

} // namespace acmtest
