// The audio compression manager layer itself: result codes, flags, header rules,
// size estimates, whole-block conversion, channel mixing, quantisation.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "acm_test_support.h"
#include "platform/acm.h"
#include "platform/acm_format.h"
#include "platform/acm_quantise.h"

using namespace acmtest;

namespace {

const TACMFormat Working = TACMFormat::Default();

MMRESULT TryOpen(const TACMFormat& in, const TACMFormat& out, uint32_t flags = ACM_STREAMOPENF_NONREALTIME)
{
    HACMSTREAM h = nullptr;
    const MMRESULT r = acmStreamOpen(&h, nullptr, in.Record(), out.Record(), nullptr, 0, 0, flags);
    if (h != nullptr) {
        EXPECT_EQ(acmStreamClose(h, 0), MMSYSERR_NOERROR);
    }
    return r;
}

struct TConverted {
    MMRESULT Result = MMSYSERR_NOERROR;
    uint32_t Estimate = 0;
    uint32_t SourceUsed = 0;
    std::vector<uint8_t> Output;
};

// One open / size / prepare / convert / unprepare / close cycle on the real layer.
TConverted Convert(const TACMFormat& in, std::vector<uint8_t> data, const TACMFormat& out = Working)
{
    TConverted c;
    HACMSTREAM h = nullptr;
    c.Result = acmStreamOpen(&h, nullptr, in.Record(), out.Record(), nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME);
    if (c.Result != MMSYSERR_NOERROR) return c;
    c.Result = acmStreamSize(h, static_cast<uint32_t>(data.size()), &c.Estimate, ACM_STREAMSIZEF_SOURCE);
    if (c.Result == MMSYSERR_NOERROR) {
        std::vector<uint8_t> dest(c.Estimate, 0xEE);
        ACMSTREAMHEADER header{};
        header.cbStruct = sizeof header;
        header.pbSrc = data.data();
        header.cbSrcLength = static_cast<uint32_t>(data.size());
        header.pbDst = dest.data();
        header.cbDstLength = c.Estimate;
        EXPECT_EQ(acmStreamPrepareHeader(h, &header, 0), MMSYSERR_NOERROR);
        c.Result = acmStreamConvert(h, &header, ACM_STREAMCONVERTF_BLOCKALIGN);
        EXPECT_EQ(acmStreamUnprepareHeader(h, &header, 0), MMSYSERR_NOERROR);
        c.SourceUsed = header.cbSrcLengthUsed;
        dest.resize(header.cbDstLengthUsed);
        c.Output = dest;
    }
    EXPECT_EQ(acmStreamClose(h, 0), MMSYSERR_NOERROR);
    return c;
}

TACMFormat Pcm(uint16_t channels, uint32_t rate, uint16_t bits)
{
    return Record(Head(WAVE_FORMAT_PCM, channels, rate, static_cast<uint16_t>(channels * bits / 8), bits));
}

} // namespace

TEST(AcmQuantise, RoundsToNearestWithTiesToEvenAndClamps)
{
    // Half a step lands on the even neighbour: 0.5 -> 0, 1.5 -> 2, 2.5 -> 2, -0.5 -> 0, -1.5 -> -2.
    EXPECT_EQ(QuantiseToU8(0.5 / 128), 128);
    EXPECT_EQ(QuantiseToU8(1.5 / 128), 130);
    EXPECT_EQ(QuantiseToU8(2.5 / 128), 130);
    EXPECT_EQ(QuantiseToU8(-0.5 / 128), 128);
    EXPECT_EQ(QuantiseToU8(-1.5 / 128), 126);
    EXPECT_EQ(QuantiseToU8(0.50001 / 128), 129);
    // Full scale is 128 steps: +1 clamps to 255, -1 is exactly 0.
    EXPECT_EQ(QuantiseToU8(1.0), 255);
    EXPECT_EQ(QuantiseToU8(127.0 / 128), 255);
    EXPECT_EQ(QuantiseToU8(126.4 / 128), 254);
    EXPECT_EQ(QuantiseToU8(-1.0), 0);
    EXPECT_EQ(QuantiseToU8(-3.0), 0);
    EXPECT_EQ(QuantiseToU8(std::numeric_limits<double>::infinity()), 255);
    EXPECT_EQ(QuantiseToU8(std::nan("")), 128);

    EXPECT_EQ(QuantiseToS16(0.5 / 32768), 0);
    EXPECT_EQ(QuantiseToS16(1.5 / 32768), 2);
    EXPECT_EQ(QuantiseToS16(-2.5 / 32768), -2);
    EXPECT_EQ(QuantiseToS16(1.0), 32767);
    EXPECT_EQ(QuantiseToS16(-1.0), -32768);
}

TEST(AcmLayer, OpenAnswersWithTheManagersResultCodes)
{
    struct TCase {
        const char* What;
        TACMFormat In, Out;
        MMRESULT Expected;
    };
    const TCase cases[] = {
        {"16-bit stereo PCM", Pcm(2, 44100, 16), Working, MMSYSERR_NOERROR},
        {"to 16-bit PCM", Pcm(2, 44100, 16), Pcm(1, 22050, 16), MMSYSERR_NOERROR},
        {"unknown source tag", Record(Head(0x55, 2, 44100, 1, 0)), Working, MMSYSERR_NODRIVER},
        {"unknown destination tag", Pcm(1, 8000, 8), Record(Head(0x1234, 1, 22050, 1, 8)), MMSYSERR_NODRIVER},
        {"zero channels", Record(Head(WAVE_FORMAT_PCM, 0, 44100, 2, 16)), Working, MMSYSERR_INVALPARAM},
        {"zero rate", Record(Head(WAVE_FORMAT_PCM, 1, 0, 2, 16)), Working, MMSYSERR_INVALPARAM},
        {"zero alignment", Record(Head(WAVE_FORMAT_PCM, 1, 8000, 0, 16)), Working, MMSYSERR_INVALPARAM},
        {"zero bits", Record(Head(WAVE_FORMAT_PCM, 1, 8000, 2, 0)), Working, MMSYSERR_INVALPARAM},
        {"zero destination rate", Pcm(1, 8000, 8), Record(Head(WAVE_FORMAT_PCM, 1, 0, 1, 8)), MMSYSERR_INVALPARAM},
        {"GSM has no bits", Record(Head(WAVE_FORMAT_GSM610, 1, 8000, 65, 0)), Working, MMSYSERR_NOERROR},
        {"stereo destination", Pcm(1, 8000, 8), Pcm(2, 22050, 8), ACMERR_NOTPOSSIBLE},
        {"24-bit destination", Pcm(1, 8000, 8), Pcm(1, 22050, 24), ACMERR_NOTPOSSIBLE},
        {"compressed destination", Pcm(1, 8000, 8), Record(Head(WAVE_FORMAT_IMA_ADPCM, 1, 22050, 256, 4)),
         ACMERR_NOTPOSSIBLE},
        {"alignment not channels x bytes", Record(Head(WAVE_FORMAT_PCM, 2, 44100, 3, 16)), Working,
         ACMERR_NOTPOSSIBLE},
        {"40-bit PCM", Record(Head(WAVE_FORMAT_PCM, 1, 44100, 5, 40)), Working, ACMERR_NOTPOSSIBLE},
        {"16-bit float", Record(Head(WAVE_FORMAT_IEEE_FLOAT, 1, 44100, 2, 16)), Working, ACMERR_NOTPOSSIBLE},
        {"extensible without its extra bytes", Record(Head(WAVE_FORMAT_EXTENSIBLE, 2, 44100, 8, 32)), Working,
         ACMERR_NOTPOSSIBLE},
        {"extensible float",
         Record(Head(WAVE_FORMAT_EXTENSIBLE, 2, 44100, 8, 32, 22), ExtensibleExtra(32, 3, WAVE_FORMAT_IEEE_FLOAT)),
         Working, MMSYSERR_NOERROR},
        {"extensible of IMA ADPCM",
         Record(Head(WAVE_FORMAT_EXTENSIBLE, 1, 44100, 1, 8, 22), ExtensibleExtra(8, 4, WAVE_FORMAT_IMA_ADPCM)),
         Working, ACMERR_NOTPOSSIBLE},
        {"IMA ADPCM with a block size that disagrees", Record(Head(WAVE_FORMAT_IMA_ADPCM, 1, 8000, 256, 4, 2), {0xFA, 1}),
         Working, ACMERR_NOTPOSSIBLE},
        {"IMA ADPCM alignment too small for a block", Record(Head(WAVE_FORMAT_IMA_ADPCM, 2, 8000, 8, 4)), Working,
         ACMERR_NOTPOSSIBLE},
        {"IMA ADPCM of three channels", Record(Head(WAVE_FORMAT_IMA_ADPCM, 3, 8000, 768, 4)), Working,
         ACMERR_NOTPOSSIBLE},
        {"GSM blocks of 64 bytes", Record(Head(WAVE_FORMAT_GSM610, 1, 8000, 64, 0)), Working, ACMERR_NOTPOSSIBLE},
        {"MS ADPCM with six coefficients", Record(Head(WAVE_FORMAT_ADPCM, 1, 8000, 256, 4, 32), {0xF4, 1, 6, 0}),
         Working, ACMERR_NOTPOSSIBLE},
    };
    for (const TCase& c : cases) EXPECT_EQ(TryOpen(c.In, c.Out), c.Expected) << c.What;

    HACMSTREAM h = reinterpret_cast<HACMSTREAM>(uintptr_t{1});
    const TACMFormat in = Pcm(2, 44100, 16);
    EXPECT_EQ(acmStreamOpen(nullptr, nullptr, in.Record(), Working.Record(), nullptr, 0, 0, 0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(acmStreamOpen(&h, nullptr, in.Record(), Working.Record(), nullptr, 0, 0, 0x100), MMSYSERR_INVALFLAG);
    EXPECT_EQ(h, nullptr) << "a failed open leaves no handle";
    EXPECT_EQ(acmStreamOpen(&h, reinterpret_cast<HACMDRIVER>(uintptr_t{8}), in.Record(), Working.Record(), nullptr,
                            0, 0, 0),
              MMSYSERR_INVALHANDLE);
    EXPECT_EQ(acmStreamOpen(&h, nullptr, nullptr, Working.Record(), nullptr, 0, 0, 0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(acmStreamOpen(&h, nullptr, in.Record(), Working.Record(), nullptr, 0, 0, ACM_STREAMOPENF_ASYNC),
              ACMERR_NOTPOSSIBLE);
    int filter = 0;
    EXPECT_EQ(acmStreamOpen(&h, nullptr, in.Record(), Working.Record(), &filter, 0, 0, 0), ACMERR_NOTPOSSIBLE);

    // A query answers without opening anything.
    const int before = AcmReal::OpenStreamCount();
    EXPECT_EQ(acmStreamOpen(nullptr, nullptr, in.Record(), Working.Record(), nullptr, 0, 0, ACM_STREAMOPENF_QUERY),
              MMSYSERR_NOERROR);
    EXPECT_EQ(acmStreamOpen(nullptr, nullptr, Record(Head(0x55, 2, 44100, 1, 0)).Record(), Working.Record(), nullptr,
                            0, 0, ACM_STREAMOPENF_QUERY),
              MMSYSERR_NODRIVER);
    EXPECT_EQ(AcmReal::OpenStreamCount(), before);
}

TEST(AcmLayer, BareHeadsOfBlockCodecsGetTheirExtraBytesDerived)
{
    EXPECT_EQ(ImaAdpcmFramesPerBlock(256, 1), 505u);
    EXPECT_EQ(ImaAdpcmFramesPerBlock(512, 2), 505u);
    EXPECT_EQ(ImaAdpcmFramesPerBlock(2048, 2), 2041u);
    EXPECT_EQ(ImaAdpcmFramesPerBlock(4, 1), 0u);
    EXPECT_EQ(MsAdpcmFramesPerBlock(256, 1), 500u);
    EXPECT_EQ(MsAdpcmFramesPerBlock(512, 2), 500u);
    EXPECT_EQ(MsAdpcmFramesPerBlock(7, 1), 2u);
    EXPECT_EQ(MsAdpcmFramesPerBlock(6, 1), 0u);

    // Heads as a file gives them without extra bytes, and with the extra bytes zeroed.
    const TACMFormat bare[] = {
        Record(Head(WAVE_FORMAT_IMA_ADPCM, 1, 8000, 256, 4)),
        Record(Head(WAVE_FORMAT_IMA_ADPCM, 2, 44100, 2048, 4, 2)),
        Record(Head(WAVE_FORMAT_ADPCM, 1, 8000, 256, 4)),
        Record(Head(WAVE_FORMAT_ADPCM, 2, 22050, 1024, 4, 32)),
        Record(Head(WAVE_FORMAT_GSM610, 1, 8000, 65, 0)),
        Record(Head(WAVE_FORMAT_GSM610, 1, 8000, 65, 0, 2)),
    };
    for (const TACMFormat& f : bare) {
        const TWaveFormatEx h = f.Head();
        // Three silent blocks plus part of a fourth: three blocks' worth of frames.
        const uint32_t align = h.nBlockAlign;
        const uint32_t frames = h.wFormatTag == WAVE_FORMAT_GSM610 ? 320
                                : h.wFormatTag == WAVE_FORMAT_ADPCM ? MsAdpcmFramesPerBlock(h.nBlockAlign, h.nChannels)
                                                                    : ImaAdpcmFramesPerBlock(h.nBlockAlign, h.nChannels);
        TACMFormat same = f;
        TWaveFormatEx head = h;
        head.nSamplesPerSec = 22050;
        same.SetHead(head);
        const TConverted c = Convert(same, std::vector<uint8_t>(3 * align + align / 2, 0));
        ASSERT_EQ(c.Result, MMSYSERR_NOERROR) << "tag " << h.wFormatTag;
        EXPECT_EQ(c.SourceUsed, 3 * align) << "the partial fourth block stays unconverted";
        EXPECT_EQ(c.Output.size(), 3 * frames) << "tag " << h.wFormatTag;
        EXPECT_EQ(c.Estimate, 3 * frames);
        if (h.wFormatTag != WAVE_FORMAT_GSM610) { // GSM's all-zero frame is a faint hiss
            for (uint8_t b : c.Output) ASSERT_EQ(b, 128) << "silence decodes to the zero line";
        }
    }
}

TEST(AcmLayer, HandlesAndHeadersFollowTheManagersRules)
{
    const TACMFormat in = Pcm(1, 22050, 16);
    HACMSTREAM h = nullptr;
    ASSERT_EQ(acmStreamOpen(&h, nullptr, in.Record(), Working.Record(), nullptr, 0, 0, 0), MMSYSERR_NOERROR);
    ASSERT_NE(h, nullptr);

    std::vector<uint8_t> src = {0x00, 0x40, 0x00, 0xC0}; // +0.5, -0.5
    std::vector<uint8_t> dst(2);
    ACMSTREAMHEADER header{};
    header.cbStruct = sizeof header;
    header.pbSrc = src.data();
    header.cbSrcLength = 4;
    header.pbDst = dst.data();
    header.cbDstLength = 2;

    EXPECT_EQ(acmStreamConvert(h, &header, ACM_STREAMCONVERTF_BLOCKALIGN), ACMERR_UNPREPARED);
    EXPECT_EQ(acmStreamUnprepareHeader(h, &header, 0), ACMERR_UNPREPARED);
    ACMSTREAMHEADER small = header;
    small.cbStruct = sizeof header - 1;
    EXPECT_EQ(acmStreamPrepareHeader(h, &small, 0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(acmStreamPrepareHeader(h, nullptr, 0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(acmStreamPrepareHeader(h, &header, 1), MMSYSERR_INVALFLAG);
    EXPECT_EQ(acmStreamPrepareHeader(nullptr, &header, 0), MMSYSERR_INVALHANDLE);

    ASSERT_EQ(acmStreamPrepareHeader(h, &header, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(header.fdwStatus, ACMSTREAMHEADER_STATUSF_PREPARED);
    EXPECT_EQ(acmStreamConvert(h, &header, 0x100), MMSYSERR_INVALFLAG);
    ASSERT_EQ(acmStreamConvert(h, &header, ACM_STREAMCONVERTF_BLOCKALIGN), MMSYSERR_NOERROR);
    EXPECT_EQ(header.fdwStatus, ACMSTREAMHEADER_STATUSF_PREPARED | ACMSTREAMHEADER_STATUSF_DONE);
    EXPECT_EQ(header.cbSrcLengthUsed, 4u);
    EXPECT_EQ(header.cbDstLengthUsed, 2u);
    EXPECT_EQ(dst, (std::vector<uint8_t>{192, 64}));
    // START, END and no flag at all convert the same way.
    ASSERT_EQ(acmStreamConvert(h, &header, ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_END), MMSYSERR_NOERROR);
    EXPECT_EQ(dst, (std::vector<uint8_t>{192, 64}));
    // A header whose buffers went missing after preparing is refused, not written through.
    ACMSTREAMHEADER changed = header;
    changed.pbDst = nullptr;
    EXPECT_EQ(acmStreamConvert(h, &changed, 0), MMSYSERR_INVALPARAM);

    EXPECT_EQ(acmStreamReset(h, 1), MMSYSERR_INVALFLAG);
    EXPECT_EQ(acmStreamReset(h, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(acmStreamUnprepareHeader(h, &header, 2), MMSYSERR_INVALFLAG);
    EXPECT_EQ(acmStreamUnprepareHeader(h, &header, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(acmStreamUnprepareHeader(h, &header, 0), ACMERR_UNPREPARED);
    EXPECT_EQ(acmStreamClose(h, 1), MMSYSERR_INVALFLAG);

    const int open = AcmReal::OpenStreamCount();
    EXPECT_EQ(acmStreamClose(h, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(AcmReal::OpenStreamCount(), open - 1);
    // A closed handle is no handle any more.
    EXPECT_EQ(acmStreamClose(h, 0), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(acmStreamReset(h, 0), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(acmStreamConvert(h, &header, 0), MMSYSERR_INVALHANDLE);
    uint32_t bytes = 0;
    EXPECT_EQ(acmStreamSize(h, 100, &bytes, 0), MMSYSERR_INVALHANDLE);
}

TEST(AcmLayer, SizeEstimatesCoverTheOutput)
{
    HACMSTREAM h = nullptr;
    uint32_t bytes = 0;
    const TACMFormat stereo = Pcm(2, 44100, 16);
    ASSERT_EQ(acmStreamOpen(&h, nullptr, stereo.Record(), Working.Record(), nullptr, 0, 0, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(acmStreamSize(h, 17640, &bytes, ACM_STREAMSIZEF_SOURCE), MMSYSERR_NOERROR);
    EXPECT_EQ(bytes, 2206u) << "4410 frames halve to 2205, one more for the resampler's rounding";
    EXPECT_EQ(acmStreamSize(h, 17643, &bytes, ACM_STREAMSIZEF_SOURCE), MMSYSERR_NOERROR);
    EXPECT_EQ(bytes, 2206u) << "a partial frame counts for nothing";
    EXPECT_EQ(acmStreamSize(h, 3, &bytes, ACM_STREAMSIZEF_SOURCE), ACMERR_NOTPOSSIBLE) << "no whole frame";
    EXPECT_EQ(acmStreamSize(h, 0, &bytes, ACM_STREAMSIZEF_SOURCE), ACMERR_NOTPOSSIBLE);
    EXPECT_EQ(acmStreamSize(h, 2205, &bytes, ACM_STREAMSIZEF_DESTINATION), MMSYSERR_NOERROR);
    EXPECT_EQ(bytes, 17640u);
    EXPECT_EQ(acmStreamSize(h, 100, &bytes, 2), MMSYSERR_INVALFLAG);
    EXPECT_EQ(acmStreamSize(h, 100, nullptr, 0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(acmStreamSize(h, 0xFFFFFFFC, &bytes, 0), MMSYSERR_NOERROR) << "a quarter of 4 GB halved fits";
    EXPECT_EQ(bytes, 536870913u) << "0x3FFFFFFF frames halve to 536870912 (rounded up), plus one";
    ASSERT_EQ(acmStreamClose(h, 0), MMSYSERR_NOERROR);

    // One sample per second stretched to 22050: four billion bytes would not fit a wave.
    const TACMFormat slow = Pcm(1, 1, 8);
    ASSERT_EQ(acmStreamOpen(&h, nullptr, slow.Record(), Working.Record(), nullptr, 0, 0, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(acmStreamSize(h, 100000, &bytes, 0), ACMERR_NOTPOSSIBLE);
    EXPECT_EQ(acmStreamSize(h, 1000, &bytes, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(bytes, 22050001u);
    ASSERT_EQ(acmStreamClose(h, 0), MMSYSERR_NOERROR);

    // Same rate: exactly one output sample per input frame.
    const TACMFormat same = Pcm(1, 22050, 16);
    ASSERT_EQ(acmStreamOpen(&h, nullptr, same.Record(), Working.Record(), nullptr, 0, 0, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(acmStreamSize(h, 1000, &bytes, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(bytes, 500u);
    ASSERT_EQ(acmStreamClose(h, 0), MMSYSERR_NOERROR);

    // Block codecs count whole blocks of frames.
    const TACMFormat ima = Record(Head(WAVE_FORMAT_IMA_ADPCM, 1, 11025, 256, 4));
    ASSERT_EQ(acmStreamOpen(&h, nullptr, ima.Record(), Working.Record(), nullptr, 0, 0, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(acmStreamSize(h, 1000, &bytes, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(bytes, 3u * 505 * 2 + 1);
    EXPECT_EQ(acmStreamSize(h, 255, &bytes, 0), ACMERR_NOTPOSSIBLE);
    ASSERT_EQ(acmStreamClose(h, 0), MMSYSERR_NOERROR);
}

TEST(AcmLayer, OutputLengthFollowsTheRateRatioAndStaysWithinTheEstimate)
{
    const uint32_t rates[] = {1, 7, 8000, 11025, 16000, 22050, 32000, 44100, 48000, 96000, 1000000};
    const int lengths[] = {1, 2, 3, 99, 1000, 4097};
    for (uint32_t rate : rates) {
        for (int frames : lengths) {
            if (frames * 22050.0 / rate > 3e6) continue; // keep the run short
            const TConverted c = Convert(Pcm(1, rate, 16), SinePcm(16, 1, rate, frames, rate / 10.0, 0.5));
            ASSERT_EQ(c.Result, MMSYSERR_NOERROR) << rate << " Hz, " << frames;
            const double exact = frames * 22050.0 / rate;
            EXPECT_LE(c.Output.size(), c.Estimate) << rate << " Hz, " << frames;
            EXPECT_NEAR(static_cast<double>(c.Output.size()), exact, 1.0) << rate << " Hz, " << frames;
        }
    }
}

TEST(AcmLayer, ChannelsAreAveraged)
{
    // Left +x, right -x: the mix is silence. Three channels: their mean.
    std::vector<uint8_t> opposite;
    for (int i = 0; i < 100; ++i) {
        const int16_t s = static_cast<int16_t>((i * 997) % 30000 - 15000);
        for (int16_t v : {s, static_cast<int16_t>(-s)}) {
            opposite.push_back(static_cast<uint8_t>(v));
            opposite.push_back(static_cast<uint8_t>(v >> 8));
        }
    }
    const TConverted c = Convert(Pcm(2, 22050, 16), opposite);
    ASSERT_EQ(c.Result, MMSYSERR_NOERROR);
    EXPECT_EQ(c.Output, std::vector<uint8_t>(100, 128));

    // 8-bit, three channels at the working rate: (a + b + c) / 3 per frame.
    const std::vector<uint8_t> three = {128 + 90, 128 + 30, 128 + 0, 128 - 60, 128 - 60, 128 - 60, 255, 255, 0};
    const TConverted m = Convert(Pcm(3, 22050, 8), three);
    ASSERT_EQ(m.Result, MMSYSERR_NOERROR);
    EXPECT_EQ(m.Output, (std::vector<uint8_t>{128 + 40, 128 - 60, 128 + 42}));
}

TEST(AcmLayer, SixteenBitDestinationAndSameRatePassThrough)
{
    // 16-bit mono at 22050 into 16-bit mono at 22050: every sample unchanged.
    std::vector<uint8_t> pcm = SinePcm(16, 1, 22050, 500, 1000, 0.9);
    pcm.push_back(0x00);
    pcm.push_back(0x80); // -32768
    pcm.push_back(0xFF);
    pcm.push_back(0x7F); // +32767
    const TConverted same = Convert(Pcm(1, 22050, 16), pcm, Pcm(1, 22050, 16));
    ASSERT_EQ(same.Result, MMSYSERR_NOERROR);
    EXPECT_EQ(same.Output, pcm);

    // 8-bit into 16-bit: one step of 8 bits is 256 steps of 16.
    const TConverted wide = Convert(Pcm(1, 22050, 8), {0, 127, 128, 129, 255}, Pcm(1, 22050, 16));
    ASSERT_EQ(wide.Result, MMSYSERR_NOERROR);
    EXPECT_EQ(wide.Output, (std::vector<uint8_t>{0x00, 0x80, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x01, 0x00, 0x7F}));
}

TEST(AcmLayer, FloatSourcesAreClippedAndNonFiniteValuesReadAsSilence)
{
    const float values[] = {0.25f, 3.0f, -7.5f, std::numeric_limits<float>::quiet_NaN(),
                            std::numeric_limits<float>::infinity(), -1.0f, 1.0f};
    std::vector<uint8_t> data(sizeof values);
    std::memcpy(data.data(), values, sizeof values);
    const TConverted c = Convert(Record(Head(WAVE_FORMAT_IEEE_FLOAT, 1, 22050, 4, 32)), data);
    ASSERT_EQ(c.Result, MMSYSERR_NOERROR);
    EXPECT_EQ(c.Output, (std::vector<uint8_t>{160, 255, 0, 128, 255, 0, 255}));
}

TEST(AcmLayer, ConversionsCanBeRepeatedOnOneStream)
{
    // Each conversion is a sound of its own: the second equals the first.
    const TACMFormat in = Pcm(2, 44100, 16);
    std::vector<uint8_t> src = SinePcm(16, 2, 44100, 4410, 1000, 0.7);
    HACMSTREAM h = nullptr;
    ASSERT_EQ(acmStreamOpen(&h, nullptr, in.Record(), Working.Record(), nullptr, 0, 0, 0), MMSYSERR_NOERROR);
    uint32_t size = 0;
    ASSERT_EQ(acmStreamSize(h, static_cast<uint32_t>(src.size()), &size, 0), MMSYSERR_NOERROR);
    std::vector<uint8_t> dst(size);
    ACMSTREAMHEADER header{};
    header.cbStruct = sizeof header;
    header.pbSrc = src.data();
    header.cbSrcLength = static_cast<uint32_t>(src.size());
    header.pbDst = dst.data();
    header.cbDstLength = size;
    ASSERT_EQ(acmStreamPrepareHeader(h, &header, 0), MMSYSERR_NOERROR);
    ASSERT_EQ(acmStreamConvert(h, &header, ACM_STREAMCONVERTF_BLOCKALIGN), MMSYSERR_NOERROR);
    const std::vector<uint8_t> first(dst.begin(), dst.begin() + header.cbDstLengthUsed);
    ASSERT_EQ(acmStreamConvert(h, &header, ACM_STREAMCONVERTF_BLOCKALIGN), MMSYSERR_NOERROR);
    EXPECT_EQ(std::vector<uint8_t>(dst.begin(), dst.begin() + header.cbDstLengthUsed), first);
    EXPECT_EQ(first.size(), 2205u);
    ASSERT_EQ(acmStreamUnprepareHeader(h, &header, 0), MMSYSERR_NOERROR);
    ASSERT_EQ(acmStreamClose(h, 0), MMSYSERR_NOERROR);
}

TEST(AcmLayer, OverridesReplaceSingleCallsAndCanBeRestored)
{
    int sizeCalls = 0;
    {
        TAcmOverrides fake;
        fake.StreamSize = [&](HACMSTREAM, uint32_t, uint32_t* out, uint32_t) {
            ++sizeCalls;
            *out = 7;
            return MMRESULT{42};
        };
        TAcmOverrideScope scope(fake);
        const TConverted c = Convert(Pcm(1, 8000, 8), {1, 2, 3});
        EXPECT_EQ(c.Result, 42u);
        EXPECT_EQ(sizeCalls, 1);
    }
    const TConverted c = Convert(Pcm(1, 22050, 8), {1, 2, 3});
    EXPECT_EQ(c.Result, MMSYSERR_NOERROR);
    EXPECT_EQ(c.Output, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(sizeCalls, 1);
}
