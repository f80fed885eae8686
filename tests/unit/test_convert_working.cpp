// ConvertToWorkingFormat: the copy path, the conversion path, its failures, and the
// committed fixtures of several encodings.
#include <gtest/gtest.h>

#include "acm_test_support.h"
#include "conversion/ACMConvertor.h"
#include "conversion/ConvertToWorkingFormat.h"
#include "platform/acm.h"

using namespace acmtest;

namespace {

// Records the calls of the real manager that pass through, and can fail one call once.
struct TSpy {
    std::vector<std::string> Calls;
    uint32_t SizeInput = 0;
    std::string FailOnce;
    MMRESULT FailWith = ACMERR_NOTPOSSIBLE;

    MMRESULT Pass(const std::string& call, const std::function<MMRESULT()>& real)
    {
        Calls.push_back(call);
        if (call == FailOnce) {
            FailOnce.clear();
            return FailWith;
        }
        return real();
    }

    TAcmOverrides Overrides()
    {
        TAcmOverrides o;
        o.StreamOpen = [this](HACMSTREAM* p, HACMDRIVER d, const TWaveFormatEx* s, const TWaveFormatEx* t, void* f,
                              uintptr_t c, uintptr_t i, uint32_t fl) {
            return Pass("Open", [&] { return AcmReal::StreamOpen(p, d, s, t, f, c, i, fl); });
        };
        o.StreamSize = [this](HACMSTREAM h, uint32_t in, uint32_t* out, uint32_t fl) {
            SizeInput = in;
            return Pass("Size", [&] { return AcmReal::StreamSize(h, in, out, fl); });
        };
        o.StreamPrepareHeader = [this](HACMSTREAM h, ACMSTREAMHEADER* a, uint32_t fl) {
            return Pass("Prepare", [&] { return AcmReal::StreamPrepareHeader(h, a, fl); });
        };
        o.StreamConvert = [this](HACMSTREAM h, ACMSTREAMHEADER* a, uint32_t fl) {
            return Pass("Convert", [&] { return AcmReal::StreamConvert(h, a, fl); });
        };
        o.StreamReset = [this](HACMSTREAM h, uint32_t fl) {
            return Pass("Reset", [&] { return AcmReal::StreamReset(h, fl); });
        };
        o.StreamUnprepareHeader = [this](HACMSTREAM h, ACMSTREAMHEADER* a, uint32_t fl) {
            return Pass("Unprepare", [&] { return AcmReal::StreamUnprepareHeader(h, a, fl); });
        };
        o.StreamClose = [this](HACMSTREAM h, uint32_t fl) {
            return Pass("Close", [&] { return AcmReal::StreamClose(h, fl); });
        };
        return o;
    }
};

const std::vector<std::string> FullCycle = {"Open", "Size", "Prepare", "Convert", "Reset", "Unprepare", "Close"};

void ExpectWorkingFormat(const TTxWavStream& wave)
{
    const TWaveFormatEx f = wave.Format;
    EXPECT_EQ(f.wFormatTag, 1);
    EXPECT_EQ(f.nChannels, 1);
    EXPECT_EQ(f.nSamplesPerSec, 22050u);
    EXPECT_EQ(f.nAvgBytesPerSec, 22050u);
    EXPECT_EQ(f.nBlockAlign, 1);
    EXPECT_EQ(f.wBitsPerSample, 8);
    EXPECT_EQ(f.cbSize, 129);
    EXPECT_TRUE(wave.FormatExtra.empty());
}

} // namespace

TEST(ConvertToWorkingFormat, AWaveInTheWorkingFormatIsCopiedWithoutTheConverter)
{
    TSpy spy;
    TAcmOverrideScope scope(spy.Overrides());
    TACMConvertor convertor;

    // PCM, plain or in the extensible layout: copied as they are.
    for (uint16_t tag : {WAVE_FORMAT_PCM, WAVE_FORMAT_EXTENSIBLE}) {
        TTxWavStream source;
        const auto extra = tag == WAVE_FORMAT_PCM ? std::vector<uint8_t>{} : ExtensibleExtra(8, 4, WAVE_FORMAT_PCM);
        LoadImage(source, WavImage(Head(tag, 1, 22050, 1, 8, static_cast<uint16_t>(extra.size())), extra,
                                   {1, 2, 3, 250, 128, 7}));
        source.SetSelStart(1);
        source.SetSelEnd(4);
        const std::vector<uint8_t> before = Bytes(source);
        TTxWavStream destination;
        ConvertToWorkingFormat(convertor, source, destination);
        EXPECT_EQ(Bytes(destination), before);
        EXPECT_EQ(destination.Format.wFormatTag, tag);
        EXPECT_EQ(destination.SelStart(), 1);
        EXPECT_EQ(destination.SelEnd(), 4);
        EXPECT_EQ(Bytes(source), before);
    }
    EXPECT_TRUE(spy.Calls.empty()) << "no platform call at all";
    EXPECT_FALSE(convertor.Active());
    EXPECT_EQ(convertor.InputBufferSize(), 2048);
}

TEST(ConvertToWorkingFormat, CompandedBytesOfTheWorkingLayoutAreDecodedNotCopied)
{
    // Silence is 0xFF in u-law and 0xD5 in A-law; taken as PCM it would read as full scale.
    const struct { uint16_t Tag; uint8_t Silence; } cases[] = {{WAVE_FORMAT_MULAW, 0xFF}, {WAVE_FORMAT_ALAW, 0xD5}};
    for (const auto& c : cases) {
        TSpy spy;
        TAcmOverrideScope scope(spy.Overrides());
        TACMConvertor convertor;
        TTxWavStream source;
        LoadImage(source, WavImage(Head(c.Tag, 1, 22050, 1, 8), {}, std::vector<uint8_t>(1000, c.Silence)));
        TTxWavStream destination;
        ConvertToWorkingFormat(convertor, source, destination);
        EXPECT_EQ(spy.Calls, FullCycle) << "tag " << c.Tag;
        ExpectWorkingFormat(destination);
        EXPECT_EQ(Bytes(destination), std::vector<uint8_t>(1000, 128)) << "tag " << c.Tag;
    }
}

TEST(ConvertToWorkingFormat, ConvertsTheWholeWaveInOneCallAndClosesTheConverter)
{
    TSpy spy;
    TAcmOverrideScope scope(spy.Overrides());
    TACMConvertor convertor;
    const int before = AcmReal::OpenStreamCount();

    TTxWavStream source;
    const std::vector<uint8_t> pcm = SinePcm(16, 2, 44100, 44100 / 4, 1000, 0.5);
    LoadImage(source, WavImage(Head(WAVE_FORMAT_PCM, 2, 44100, 4, 16), {}, pcm));
    source.SetSelStart(100);
    source.SetSelEnd(200);
    TTxWavStream destination;
    LoadImage(destination, WavImage(Head(WAVE_FORMAT_PCM, 1, 8000, 1, 8), {}, {9, 9, 9}));
    destination.SetSelEnd(2);

    ConvertToWorkingFormat(convertor, source, destination);
    EXPECT_EQ(spy.Calls, FullCycle);
    EXPECT_EQ(spy.SizeInput, pcm.size()) << "the input buffer holds the whole source";
    EXPECT_EQ(convertor.InputBufferSize(), static_cast<int32_t>(pcm.size()));
    EXPECT_FALSE(convertor.Active());
    EXPECT_EQ(AcmReal::OpenStreamCount(), before);

    ExpectWorkingFormat(destination);
    EXPECT_EQ(destination.Size(), 11025 / 2 + 1) << "11025 frames halve to 5512.5, rounded up";
    EXPECT_EQ(destination.SelStart(), 0);
    EXPECT_EQ(destination.SelEnd(), 0);
    const TTone tone = MeasureTone(Bytes(destination));
    EXPECT_NEAR(tone.Frequency, 1000, 2);
    EXPECT_NEAR(tone.Amplitude, 0.5, 0.01);

    // The source is untouched: bytes, format, selection.
    EXPECT_EQ(Bytes(source), pcm);
    EXPECT_EQ(source.Format.nSamplesPerSec, 44100u);
    EXPECT_EQ(source.SelStart(), 100);
    EXPECT_EQ(source.SelEnd(), 200);

    // The converter's input record is the source's head, then zeros (no extra bytes).
    const TWaveFormatEx in = convertor.ACMFormatIn.Head();
    EXPECT_EQ(std::memcmp(&in, &source.Format, sizeof in), 0);
    for (size_t i = 18; i < 129; ++i) ASSERT_EQ(convertor.ACMFormatIn.Bytes[i], 0) << i;
}

TEST(ConvertToWorkingFormat, ARefusedFormatLeavesAnEmptyWorkingWaveAndAClosedConverter)
{
    TACMConvertor convertor;
    TTxWavStream source;
    LoadImage(source, WavImage(Head(0x0055, 2, 44100, 1, 0), {}, std::vector<uint8_t>(400, 0x11)));
    TTxWavStream destination;
    LoadImage(destination, WavImage(Head(WAVE_FORMAT_PCM, 1, 8000, 1, 8), {}, {9, 9, 9}));
    destination.SetSelEnd(2);
    try {
        ConvertToWorkingFormat(convertor, source, destination);
        FAIL() << "no failure";
    } catch (const EACMConvertor& e) {
        EXPECT_EQ(e.Message(), "acmStreamOpen: A suitable driver is not available to provide valid format selections.");
    }
    EXPECT_EQ(destination.Size(), 0);
    EXPECT_EQ(destination.SelStart(), 0);
    EXPECT_EQ(destination.SelEnd(), 0);
    ExpectWorkingFormat(destination);
    EXPECT_FALSE(convertor.Active());

    // An empty source of another format: the manager has nothing to size.
    TTxWavStream empty;
    LoadImage(empty, WavImage(Head(WAVE_FORMAT_PCM, 2, 44100, 4, 16), {}, {}));
    try {
        ConvertToWorkingFormat(convertor, empty, destination);
        FAIL() << "no failure";
    } catch (const EACMConvertor& e) {
        EXPECT_EQ(e.Message(), "acmStreamSize: The requested operation cannot be performed.");
    }
    EXPECT_FALSE(convertor.Active());
}

TEST(ConvertToWorkingFormat, AConversionAfterAFailureInsideConvertStartsFromAClosedConverter)
{
    TSpy spy;
    spy.FailOnce = "Convert";
    TAcmOverrideScope scope(spy.Overrides());
    TACMConvertor convertor;
    const int before = AcmReal::OpenStreamCount();

    TTxWavStream first, second, destination;
    LoadImage(first, WavImage(Head(WAVE_FORMAT_PCM, 1, 11025, 2, 16), {}, SinePcm(16, 1, 11025, 1000, 1000, 0.5)));
    LoadImage(second, WavImage(Head(WAVE_FORMAT_PCM, 1, 44100, 1, 8), {}, SinePcm(8, 1, 44100, 800, 1000, 0.5)));
    EXPECT_THROW(ConvertToWorkingFormat(convertor, first, destination), EACMConvertor);
    EXPECT_TRUE(convertor.Active()) << "left open by the failure";
    EXPECT_EQ(AcmReal::OpenStreamCount(), before + 1);

    spy.Calls.clear();
    ConvertToWorkingFormat(convertor, second, destination);
    std::vector<std::string> expected = {"Unprepare", "Close"};
    expected.insert(expected.end(), FullCycle.begin(), FullCycle.end());
    EXPECT_EQ(spy.Calls, expected) << "the stream the first left open is closed first";
    EXPECT_EQ(AcmReal::OpenStreamCount(), before);
    EXPECT_FALSE(convertor.Active());
    EXPECT_EQ(destination.Size(), 400);
    EXPECT_EQ(spy.SizeInput, 800u);
}

TEST(ConvertToWorkingFormat, TheSourceIsReadInPlaceAndTheOutputMadeInTheDestination)
{
    const std::vector<uint8_t> pcm = SinePcm(16, 2, 44100, 4410, 1000, 0.5);
    // Where the manager finds the bytes, and a failure at each step of the conversion.
    for (const char* failing : {"", "Convert", "Reset"}) {
        SCOPED_TRACE(failing);
        TSpy spy;
        spy.FailOnce = failing;
        const uint8_t* sourceAtConvert = nullptr;
        const uint8_t* destinationAtConvert = nullptr;
        TAcmOverrides overrides = spy.Overrides();
        overrides.StreamConvert = [&, pass = overrides.StreamConvert](HACMSTREAM h, ACMSTREAMHEADER* a, uint32_t f) {
            sourceAtConvert = a->pbSrc;
            destinationAtConvert = a->pbDst;
            return pass(h, a, f);
        };
        TAcmOverrideScope scope(overrides);
        TACMConvertor convertor;
        TTxWavStream source, destination;
        LoadImage(source, WavImage(Head(WAVE_FORMAT_PCM, 2, 44100, 4, 16), {}, pcm));
        const uint8_t* sourceBytes = source.Memory();

        if (*failing == 0) {
            ConvertToWorkingFormat(convertor, source, destination);
            EXPECT_EQ(destination.Size(), 2205);
            EXPECT_EQ(destinationAtConvert, destination.Memory()) << "converted where the wave keeps it";
        } else {
            EXPECT_THROW(ConvertToWorkingFormat(convertor, source, destination), EACMConvertor);
            EXPECT_EQ(destination.Size(), 0) << "the unfinished output is not kept";
            EXPECT_EQ(destination.SelEnd(), 0);
            ExpectWorkingFormat(destination);
            convertor.SetActive(false);
        }
        EXPECT_EQ(sourceAtConvert, sourceBytes) << "no copy of the source";
        EXPECT_EQ(source.Memory(), sourceBytes);
        EXPECT_EQ(Bytes(source), pcm);
    }
}

TEST(ConvertToWorkingFormat, TheFilesExtraFormatBytesReachTheConverter)
{
    // 32-bit float in WAVE_FORMAT_EXTENSIBLE: only the extra bytes say "float".
    const std::vector<uint8_t> extra = ExtensibleExtra(32, 4, WAVE_FORMAT_IEEE_FLOAT);
    TTxWavStream source;
    LoadImage(source, WavImage(Head(WAVE_FORMAT_EXTENSIBLE, 1, 48000, 4, 32, 22), extra, SineFloat(1, 48000, 4800, 1000, 0.5)));
    ASSERT_EQ(source.FormatExtra, extra);

    TACMConvertor convertor;
    convertor.ACMFormatIn.Bytes.fill(0x5A); // whatever an earlier conversion left
    TTxWavStream destination;
    ConvertToWorkingFormat(convertor, source, destination);
    EXPECT_TRUE(std::equal(extra.begin(), extra.end(), convertor.ACMFormatIn.Bytes.begin() + 18));
    for (size_t i = 18 + extra.size(); i < 129; ++i) ASSERT_EQ(convertor.ACMFormatIn.Bytes[i], 0) << i;
    EXPECT_NEAR(destination.Size(), 2205, 1);
    const TTone tone = MeasureTone(Bytes(destination));
    EXPECT_NEAR(tone.Frequency, 1000, 2);
    EXPECT_NEAR(tone.Amplitude, 0.5, 0.01);

    // Without them the extensible record names no encoding and is refused.
    source.FormatExtra.clear();
    EXPECT_THROW(ConvertToWorkingFormat(convertor, source, destination), EACMConvertor);
    EXPECT_FALSE(convertor.Active());
}

TEST(ConvertToWorkingFormat, CommittedFixturesOpenAtTheRightLengthPitchAndLevel)
{
    struct TFixture {
        const char* Name;
        double SourceFrames, SourceRate;
        double LevelTolerance;
    };
    const TFixture fixtures[] = {
        {"tone_pcm16_stereo_44100.wav", 2205, 44100, 0.01},
        {"tone_ulaw_stereo_8000.wav", 800, 8000, 0.02},
        {"tone_ima_adpcm_mono_11025.wav", 4040, 11025, 0.05},
        {"tone_ms_adpcm_mono_8000.wav", 2000, 8000, 0.05},
        {"tone_gsm610_mono_8000.wav", 2560, 8000, 0.1},
        {"tone_float32_ext_mono_48000.wav", 2400, 48000, 0.01},
    };
    TACMConvertor convertor;
    for (const TFixture& f : fixtures) {
        SCOPED_TRACE(f.Name);
        TTxWavStream source, destination;
        source.LoadFromFile(FixturePath(f.Name));
        ConvertToWorkingFormat(convertor, source, destination);
        ExpectWorkingFormat(destination);
        EXPECT_NEAR(destination.Size(), f.SourceFrames * 22050 / f.SourceRate, 1.0);
        const TTone tone = MeasureTone(Bytes(destination));
        EXPECT_NEAR(tone.Frequency, 1000, 5);
        EXPECT_NEAR(tone.Amplitude, 0.5, f.LevelTolerance);
        EXPECT_GT(tone.Amplitude / std::sqrt(2.0), 0.9 * tone.Rms) << "mostly the tone";

        // A bare head (no extra bytes kept) converts the same: they are derived.
        if (source.Format.wFormatTag == WAVE_FORMAT_IMA_ADPCM || source.Format.wFormatTag == WAVE_FORMAT_ADPCM ||
            source.Format.wFormatTag == WAVE_FORMAT_GSM610) {
            TTxWavStream bare, again;
            bare.Assign(source);
            bare.FormatExtra.clear();
            ConvertToWorkingFormat(convertor, bare, again);
            EXPECT_EQ(Bytes(again), Bytes(destination));
        }
    }

    // 8-bit mono at 22050: copied byte for byte.
    TTxWavStream source, destination;
    source.LoadFromFile(FixturePath("tone_u8_mono_22050.wav"));
    ConvertToWorkingFormat(convertor, source, destination);
    EXPECT_EQ(Bytes(destination), DataChunk(ReadFile(FixturePath("tone_u8_mono_22050.wav"))));
    EXPECT_EQ(destination.Size(), 2205);
}
