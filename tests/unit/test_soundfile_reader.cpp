// Sound files of other kinds than WAV: decoded into the wave a WAV of the same samples
// gives, refused without harm when unknown, hostile lengths refused before decoding.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "../support/TestWaves.h"
#include "conversion/ACMConvertor.h"
#include "conversion/ConvertToWorkingFormat.h"
#include "conversion/SoundFileReader.h"

namespace fs = std::filesystem;
using testwaves::ByteVector;

namespace {

struct TTempDir {
    fs::path Path = fs::temp_directory_path() / ("sonovane-sf-" + std::to_string(::getpid()));
    TTempDir() { fs::create_directories(Path); }
    ~TTempDir() { fs::remove_all(Path); }
    std::string operator/(const std::string& name) const { return (Path / name).string(); }
};

// Samples of the given width (8, 16, 24 or 32 bits) as ints scaled to full 32-bit range,
// as libsndfile takes them, beside the plain values.
std::vector<int64_t> Values(int frames, int channels, int bits)
{
    std::vector<int64_t> v(size_t(frames) * channels);
    const double top = std::ldexp(1.0, bits - 1) - 1;
    for (size_t i = 0; i < v.size(); ++i)
        v[i] = std::llround(top * std::sin(0.05 * double(i) + 0.3 * double(i % channels)));
    return v;
}

// false when this libsndfile cannot write the kind (the test then says so and skips it).
bool WriteSound(const std::string& name, int format, int channels, int rate, const std::vector<int64_t>& values,
                int bits)
{
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = rate;
    SNDFILE* f = sf_open(name.c_str(), SFM_WRITE, &info);
    if (!f) return false;
    std::vector<int> ints;
    for (int64_t v : values) ints.push_back(int(uint32_t(v) << (32 - bits)));
    sf_writef_int(f, ints.data(), sf_count_t(values.size() / channels));
    sf_close(f);
    return true;
}

ByteVector LittleEndian(const std::vector<int64_t>& values, int bits)
{
    ByteVector b;
    for (int64_t v : values) {
        if (bits == 8) b.push_back(uint8_t(v + 128));
        else
            for (int i = 0; i < bits / 8; ++i) b.push_back(uint8_t(uint64_t(v) >> (8 * i)));
    }
    return b;
}

ByteVector ReadAll(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const std::string& name, const ByteVector& bytes)
{
    std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace

TEST(SoundFileReader, DecodesIntoTheWaveAWavOfTheSameSamplesGives)
{
    struct Case {
        const char* Name;
        int Format, Channels, Rate, Bits; // Bits of the samples written
        uint16_t Tag, StoredBits;
        bool Exact;
    };
    const Case cases[] = {
        {"s8.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_S8, 1, 22050, 8, WAVE_FORMAT_PCM, 8, true},
        {"u8.w64", SF_FORMAT_W64 | SF_FORMAT_PCM_U8, 2, 11025, 8, WAVE_FORMAT_PCM, 8, true},
        {"16.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2, 44100, 16, WAVE_FORMAT_PCM, 16, true},
        {"24.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 1, 48000, 24, WAVE_FORMAT_PCM, 24, true},
        {"32.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_32, 3, 8000, 32, WAVE_FORMAT_PCM, 32, true},
        {"ulaw.au", SF_FORMAT_AU | SF_FORMAT_ULAW, 1, 8000, 16, WAVE_FORMAT_PCM, 16, false},
        {"alac20.caf", SF_FORMAT_CAF | SF_FORMAT_ALAC_20, 1, 16000, 24, WAVE_FORMAT_PCM, 24, false},
        {"float.caf", SF_FORMAT_CAF | SF_FORMAT_FLOAT, 2, 22050, 24, WAVE_FORMAT_IEEE_FLOAT, 32, false},
        {"vorbis.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 2, 44100, 16, WAVE_FORMAT_IEEE_FLOAT, 32, false},
        {"opus.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 1, 48000, 16, WAVE_FORMAT_IEEE_FLOAT, 32, false},
        {"layer3.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 1, 22050, 16, WAVE_FORMAT_IEEE_FLOAT, 32, false},
    };
    TTempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const int frames = c.Rate; // one second
        const auto values = Values(frames, c.Channels, c.Bits);
        if (!WriteSound(dir / c.Name, c.Format, c.Channels, c.Rate, values, c.Bits)) {
            std::printf("[  SKIPPED ] %s: this libsndfile cannot write it\n", c.Name);
            continue;
        }
        TTxWavStream wave;
        ASSERT_TRUE(LoadSoundFile(dir / c.Name, wave));
        const int align = c.Channels * c.StoredBits / 8;
        EXPECT_EQ(wave.Format.wFormatTag, c.Tag);
        EXPECT_EQ(wave.Format.nChannels, uint16_t(c.Channels));
        EXPECT_EQ(wave.Format.nSamplesPerSec, uint32_t(c.Rate));
        EXPECT_EQ(wave.Format.nAvgBytesPerSec, uint32_t(c.Rate * align));
        EXPECT_EQ(wave.Format.nBlockAlign, uint16_t(align));
        EXPECT_EQ(wave.Format.wBitsPerSample, c.StoredBits);
        EXPECT_EQ(wave.Format.cbSize, 0u);
        EXPECT_TRUE(wave.FormatExtra.empty());
        EXPECT_EQ(wave.FileName, dir / c.Name);
        EXPECT_EQ(wave.GetPosition(), 0);
        // Lossy codecs keep the length to the frame.
        EXPECT_EQ(wave.Size(), frames * align);
        if (c.Exact) {
            EXPECT_EQ(testwaves::Bytes(wave), LittleEndian(values, c.Bits));
        }

        // And the converter takes it like any WAV: one second in the working format.
        TACMConvertor convertor;
        TTxWavStream working;
        ConvertToWorkingFormat(convertor, wave, working);
        EXPECT_EQ(working.Size(), 22050);
    }
}

TEST(SoundFileReader, FlacAndWavOfTheSameSamplesGiveByteIdenticalWorkingWaves)
{
    struct Case {
        int Bits, Channels, Rate;
    };
    // 8-bit mono 22050 Hz takes the copy path, the others the conversion.
    const Case cases[] = {{8, 1, 22050}, {16, 2, 44100}, {16, 1, 8000}, {24, 2, 96000}};
    TTempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Bits * 1000000 + c.Channels * 100000 + c.Rate);
        const int sub = c.Bits == 8 ? SF_FORMAT_PCM_S8 : c.Bits == 16 ? SF_FORMAT_PCM_16 : SF_FORMAT_PCM_24;
        const auto values = Values(c.Rate / 2 + 7, c.Channels, c.Bits);
        ASSERT_TRUE(WriteSound(dir / "a.wav", SF_FORMAT_WAV | (c.Bits == 8 ? SF_FORMAT_PCM_U8 : sub), c.Channels,
                               c.Rate, values, c.Bits));
        ASSERT_TRUE(WriteSound(dir / "a.flac", SF_FORMAT_FLAC | sub, c.Channels, c.Rate, values, c.Bits));

        TTxWavStream fromWav, fromFlac, workingWav, workingFlac;
        fromWav.LoadFromFile(dir / "a.wav");
        ASSERT_TRUE(LoadSoundFile(dir / "a.flac", fromFlac));
        EXPECT_EQ(ByteVector((uint8_t*)&fromFlac.Format, (uint8_t*)&fromFlac.Format + 18),
                  ByteVector((uint8_t*)&fromWav.Format, (uint8_t*)&fromWav.Format + 18));
        EXPECT_EQ(testwaves::Bytes(fromFlac), testwaves::Bytes(fromWav));

        TACMConvertor convertor;
        ConvertToWorkingFormat(convertor, fromWav, workingWav);
        ConvertToWorkingFormat(convertor, fromFlac, workingFlac);
        EXPECT_GT(workingFlac.Size(), 1000);
        EXPECT_EQ(testwaves::Bytes(workingFlac), testwaves::Bytes(workingWav));
        EXPECT_EQ(workingFlac.SelStart(), workingWav.SelStart());
        EXPECT_EQ(workingFlac.SelEnd(), workingWav.SelEnd());
    }
}

TEST(SoundFileReader, RefusesWhatItDoesNotKnowAndWhatWouldNotFit)
{
    TTempDir dir;
    const auto values = Values(4000, 1, 8);
    ASSERT_TRUE(WriteSound(dir / "ok.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_S8, 1, 8000, values, 8));
    const ByteVector flac = ReadAll(dir / "ok.flac");
    ASSERT_GT(flac.size(), 42u);
    ASSERT_EQ(flac[4] & 0x7F, 0); // STREAMINFO first: its 36-bit sample count ends at byte 25
    const auto claiming = [&](uint64_t frames) {
        ByteVector b = flac;
        b[21] = uint8_t((b[21] & 0xF0) | ((frames >> 32) & 0x0F));
        for (int i = 0; i < 4; ++i) b[22 + i] = uint8_t(frames >> (24 - 8 * i));
        return b;
    };
    const ByteVector text = {'T', 'h', 'i', 's', ' ', 'i', 's', ' ', 't', 'e', 'x', 't', '.', '\n'};
    WriteAll(dir / "text.wav", text);
    WriteAll(dir / "text.au", text); // libsndfile would guess header-less u-law from the name
    WriteAll(dir / "text.mp3", text);
    WriteAll(dir / "half.flac", ByteVector(flac.begin(), flac.begin() + long(flac.size() / 2)));
    WriteAll(dir / "cap.flac", claiming(0x7FFFFFFF));      // exactly the largest wave: believed, decoded
    WriteAll(dir / "over.flac", claiming(0x80000000));     // one byte more
    WriteAll(dir / "huge.flac", claiming(0xFFFFFFFFFull)); // the most the field holds

    const std::string tooLarge = "Wave too large: a wave holds at most 2147483647 bytes.";
    struct Case {
        const char* Name;
        const char* Outcome; // "refused", "ok", or the message
    };
    const Case cases[] = {
        {"missing.flac", "refused"}, {"text.wav", "refused"}, {"text.au", "refused"},
        {"text.mp3", "refused"},     {"cap.flac", "ok"},      {"over.flac", tooLarge.c_str()},
        {"huge.flac", tooLarge.c_str()}, {"half.flac", "Decoding failed: flac decoder lost sync."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TTxWavStream wave;
        testwaves::Fill(wave, {1, 2, 3});
        wave.FileName = "before";
        std::string outcome;
        try {
            outcome = LoadSoundFile(dir / c.Name, wave) ? "ok" : "refused";
        } catch (const Exception& e) {
            outcome = e.Message();
        }
        EXPECT_EQ(outcome, c.Outcome);
        if (outcome == "ok") {
            EXPECT_EQ(testwaves::Bytes(wave), LittleEndian(values, 8));
        } else if (outcome == "refused" || outcome == tooLarge) {
            // Nothing of the wave is touched before decoding begins.
            EXPECT_EQ(testwaves::Bytes(wave), (ByteVector{1, 2, 3}));
            EXPECT_EQ(wave.FileName, "before");
        }
    }
}

// A file that stops cleanly before the length its header gives (cut at a frame
// boundary) keeps what was decoded and says how much that was; a whole file says nothing.
TEST(SoundFileReader, FileEndingEarlyKeepsWhatWasDecodedAndSaysHowMuch)
{
    TTempDir dir;
    const auto values = Values(4000, 1, 8);
    ASSERT_TRUE(WriteSound(dir / "whole.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_S8, 1, 8000, values, 8));
    ByteVector flac = ReadAll(dir / "whole.flac");
    ASSERT_EQ(flac[4] & 0x7F, 0);
    flac[24] = 0x1F; // STREAMINFO claims 8000 frames (0x1F40): twice what follows
    flac[25] = 0x40;
    ASSERT_EQ(flac[22] | flac[23] | (flac[21] & 0x0F), 0);
    WriteAll(dir / "cut.flac", flac);

    TEndedEarly early{1, 2, 3};
    TTxWavStream wave;
    ASSERT_TRUE(LoadSoundFile(dir / "whole.flac", wave, &early));
    EXPECT_EQ(early.Decoded, 1);
    ASSERT_TRUE(LoadSoundFile(dir / "cut.flac", wave, &early));
    EXPECT_EQ(testwaves::Bytes(wave), LittleEndian(values, 8));
    EXPECT_EQ(early.Decoded, 4000);
    EXPECT_EQ(early.Claimed, 8000);
    EXPECT_EQ(early.Rate, 8000);
    EXPECT_EQ(EndedEarlyText("/snd/cut.flac", early),
              "File \"/snd/cut.flac\" ended early: 0.500 of 1.000 seconds (50%) could be read; that part was opened.");
    EXPECT_EQ(EndedEarlyText("x", TEndedEarly{1, 3, 22050}),
              "File \"x\" ended early: 0.000 of 0.000 seconds (33%) could be read; that part was opened.");
}

TEST(SoundFileReader, ExtensionsAreEveryReadableKindOnceSortedWithTheirAliases)
{
    const std::vector<std::string> e = SoundFileExtensions();
    EXPECT_TRUE(std::is_sorted(e.begin(), e.end()));
    EXPECT_EQ(std::adjacent_find(e.begin(), e.end()), e.end());
    for (const char* wanted : {"aif", "aiff", "au", "caf", "flac", "oga", "ogg", "opus", "mp3", "w64", "wav"})
        EXPECT_NE(std::find(e.begin(), e.end(), wanted), e.end()) << wanted;
    // Header-less files are never recognised, so they are not offered.
    EXPECT_EQ(std::find(e.begin(), e.end(), "raw"), e.end());
}
