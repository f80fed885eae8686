// Files that sox writes, in every encoding it writes inside WAV, opened into the
// working format; and PCM conversions compared with sox's own
// `sox in.wav -r 22050 -c 1 -b 8 -D out.wav`. Skipped when sox is not installed.
#include <gtest/gtest.h>

#include "acm_test_support.h"
#include "conversion/ACMConvertor.h"
#include "conversion/ConvertToWorkingFormat.h"

using namespace acmtest;

namespace {

std::vector<uint8_t> Converted(TACMConvertor& convertor, const std::string& path)
{
    TTxWavStream source, destination;
    source.LoadFromFile(path);
    ConvertToWorkingFormat(convertor, source, destination);
    return Bytes(destination);
}

std::vector<uint8_t> SoxConverted(const TTempDir& dir, const std::string& path)
{
    const std::string out = dir / "sox-out.wav";
    EXPECT_TRUE(Sox(path + " -r 22050 -c 1 -b 8 -D " + out));
    return DataChunk(ReadFile(out));
}

} // namespace

TEST(ConvertSoxFiles, EveryEncodingOpensAsTheToneItHolds)
{
    SKIP_WITHOUT_SOX();
    struct TCase {
        const char* Encoding; // sox output options
        int Rate, Channels, Frames;
        double LevelTolerance;
    };
    // Frame counts of the block codecs are whole blocks (IMA 505 frames a
    // block here, MS ADPCM 500 or 1012, GSM 320).
    const TCase cases[] = {
        {"-e unsigned-integer -b 8", 11025, 1, 5000, 0.02},
        {"-e signed-integer -b 16", 44100, 2, 20000, 0.01},
        {"-e signed-integer -b 16", 48000, 1, 20000, 0.01},
        {"-e signed-integer -b 24", 96000, 2, 40000, 0.01},   // written as EXTENSIBLE
        {"-e signed-integer -b 32", 32000, 1, 16000, 0.01},   // written as EXTENSIBLE
        {"-e signed-integer -b 16", 44100, 6, 10000, 0.01},   // written as EXTENSIBLE
        {"-e floating-point -b 32", 44100, 2, 20000, 0.01},
        {"-e floating-point -b 64", 16000, 1, 8000, 0.01},
        {"-e u-law", 8000, 1, 4000, 0.02},
        {"-e a-law", 8000, 2, 4000, 0.02},
        {"-e ima-adpcm", 8000, 1, 505 * 8, 0.03},
        {"-e ima-adpcm", 44100, 2, 505 * 24, 0.03},
        {"-e ms-adpcm", 8000, 1, 500 * 8, 0.03},
        {"-e ms-adpcm", 22050, 2, 1012 * 6, 0.03},
        {"-e gsm-full-rate", 8000, 1, 320 * 16, 0.05},
    };
    TTempDir dir;
    TACMConvertor convertor;
    for (const TCase& c : cases) {
        const std::string what = std::string(c.Encoding) + " " + std::to_string(c.Rate) + " Hz " +
                                 std::to_string(c.Channels) + " ch";
        SCOPED_TRACE(what);
        const std::string path = dir / "in.wav";
        ASSERT_TRUE(Sox("-D -r " + std::to_string(c.Rate) + " -c " + std::to_string(c.Channels) + " -n " + c.Encoding +
                        " " + path + " synth " + std::to_string(c.Frames) + "s sine 1000 vol 0.5"));
        const std::vector<uint8_t> out = Converted(convertor, path);
        EXPECT_NEAR(static_cast<double>(out.size()), c.Frames * 22050.0 / c.Rate, 1.0);
        const TTone tone = MeasureTone(out);
        EXPECT_NEAR(tone.Frequency, 1000, 3);
        EXPECT_NEAR(tone.Amplitude, 0.5, c.LevelTolerance);
        EXPECT_GT(tone.Amplitude / std::sqrt(2.0), 0.9 * tone.Rms) << "mostly the tone";
    }
}

TEST(ConvertSoxFiles, EightBitMonoAt22050IsCopiedUnchanged)
{
    SKIP_WITHOUT_SOX();
    TTempDir dir;
    const std::string path = dir / "working.wav";
    ASSERT_TRUE(Sox("-r 22050 -c 1 -n -e unsigned-integer -b 8 " + path + " synth 0.5 whitenoise vol 0.7"));
    TACMConvertor convertor;
    EXPECT_EQ(Converted(convertor, path), DataChunk(ReadFile(path)));
    EXPECT_FALSE(convertor.Active());
    EXPECT_EQ(convertor.InputBufferSize(), 2048) << "the converter was not used";
}

TEST(ConvertSoxFiles, PowerOfTwoRateRatiosMatchSoxByteForByte)
{
    SKIP_WITHOUT_SOX();
    // The resampler is set up as sox's "rate" is at its default quality, so where the
    // ratio is a power of two the same filter runs and every byte agrees.
    const char* sources[] = {
        "-r 44100 -c 2 -e signed-integer -b 16",
        "-r 11025 -c 1 -e signed-integer -b 16",
        "-r 88200 -c 1 -e signed-integer -b 16",
        "-r 44100 -c 1 -e unsigned-integer -b 8",
        "-r 44100 -c 2 -e signed-integer -b 24",
    };
    const char* signals[] = {"synth 1 whitenoise vol 0.6", "synth 1 sine 50-10000 vol 0.95"};
    TTempDir dir;
    TACMConvertor convertor;
    for (const char* source : sources) {
        for (const char* signal : signals) {
            SCOPED_TRACE(std::string(source) + " " + signal);
            const std::string path = dir / "in.wav";
            ASSERT_TRUE(Sox(std::string("-D ") + source + " -n " + path + " " + signal));
            const std::vector<uint8_t> ours = Converted(convertor, path);
            const std::vector<uint8_t> theirs = SoxConverted(dir, path);
            ASSERT_EQ(ours.size(), theirs.size());
            size_t differing = 0;
            for (size_t i = 0; i < ours.size(); ++i) differing += ours[i] != theirs[i];
            EXPECT_EQ(differing, 0u);
        }
    }
}

TEST(ConvertSoxFiles, OtherRateRatiosMatchSoxWithinOneStep)
{
    SKIP_WITHOUT_SOX();
    // sox's built-in resampler and libsoxr design the same filters but compute the
    // polyphase stage differently; values land within a hair of each other and
    // differ by one step only where they straddle a rounding boundary. The first
    // couple of samples, where the filters start up, may differ by a few steps.
    const char* sources[] = {
        "-r 48000 -c 2 -e signed-integer -b 16",
        "-r 32000 -c 1 -e signed-integer -b 16",
        "-r 8000 -c 1 -e signed-integer -b 16",
    };
    TTempDir dir;
    TACMConvertor convertor;
    for (const char* source : sources) {
        SCOPED_TRACE(source);
        const std::string path = dir / "in.wav";
        ASSERT_TRUE(Sox(std::string("-D ") + source + " -n " + path + " synth 1 whitenoise vol 0.6"));
        const std::vector<uint8_t> ours = Converted(convertor, path);
        const std::vector<uint8_t> theirs = SoxConverted(dir, path);
        ASSERT_EQ(ours.size(), theirs.size());
        size_t differing = 0;
        for (size_t i = 0; i < ours.size(); ++i) {
            ASSERT_LE(std::abs(ours[i] - theirs[i]), i < 4 ? 3 : 1) << "at " << i;
            differing += ours[i] != theirs[i];
        }
        EXPECT_LT(differing, ours.size() / 100);
    }
}

TEST(ConvertSoxFiles, WithoutRateChangeOnlyExactTiesDiffer)
{
    SKIP_WITHOUT_SOX();
    // 16-bit mono at 22050: no filter, only the step to 8 bits. A sample exactly half
    // way between two steps (low byte 0x80) goes to the even step here, upwards in sox.
    TTempDir dir;
    const std::string path = dir / "in.wav";
    ASSERT_TRUE(Sox("-D -r 22050 -c 1 -n -e signed-integer -b 16 " + path + " synth 1 whitenoise vol 0.9"));
    TACMConvertor convertor;
    const std::vector<uint8_t> ours = Converted(convertor, path);
    const std::vector<uint8_t> theirs = SoxConverted(dir, path);
    const std::vector<uint8_t> source = DataChunk(ReadFile(path));
    ASSERT_EQ(ours.size(), theirs.size());
    ASSERT_EQ(source.size(), 2 * ours.size());
    size_t ties = 0;
    for (size_t i = 0; i < ours.size(); ++i) {
        const bool tie = source[2 * i] == 0x80;
        ties += tie;
        if (ours[i] != theirs[i]) {
            ASSERT_TRUE(tie) << "at " << i;
            ASSERT_EQ(theirs[i] - ours[i], 1) << "sox rounds the tie up, we to the even step";
            ASSERT_EQ((ours[i] - 128) % 2, 0);
        }
    }
    EXPECT_GT(ties, 0u);
}
