// The desktop's LADSPA and LV2 effects on signals: discovery finds them with their
// controls, the catalog's cache reads back what it wrote, and applying gives exact bytes
// by the store rule, filters what a low-pass must, makes up for a reported delay and
// averages a stereo effect's outputs. Needs cmt, swh-plugins and lv2-examples installed
// (scripts/install-deps.sh); skipped without them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "effects/EffectCatalog.h"
#include "effects/EffectProcessor.h"
#include "wave/TxWavStream.h"

namespace {

const TEffectInfo* Find(const std::vector<TEffectInfo>& effects, const std::string& id)
{
    const auto it = std::find_if(effects.begin(), effects.end(), [&](const TEffectInfo& e) { return e.Id == id; });
    return it == effects.end() ? nullptr : &*it;
}

const std::vector<TEffectInfo>& Installed()
{
    static const std::vector<TEffectInfo> effects = [] {
        std::vector<TEffectInfo> all = EffectCatalog::ScanLadspa({"/usr/lib/ladspa"});
        std::vector<TEffectInfo> lv2 = EffectCatalog::ScanLv2({"/usr/lib/lv2"});
        all.insert(all.end(), lv2.begin(), lv2.end());
        return all;
    }();
    return effects;
}

const TEffectInfo& Need(const std::string& id)
{
    static TEffectInfo none;
    const TEffectInfo* e = Find(Installed(), id);
    return e ? *e : none;
}

#define REQUIRE_EFFECT(info)                                                 \
    if ((info).Id.empty())                                                   \
        GTEST_SKIP() << "effect not installed (scripts/install-deps.sh)";

std::vector<uint8_t> Tone(double hz, int64_t n, double level)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(n));
    for (int64_t i = 0; i < n; ++i)
        bytes[static_cast<size_t>(i)] =
            TTxWavStream::ValueToByte(static_cast<float>(level * std::sin(2 * M_PI * hz * i / 22050.0)));
    return bytes;
}

double Rms(const std::vector<uint8_t>& bytes, size_t from)
{
    double sum = 0;
    for (size_t i = from; i < bytes.size(); ++i)
        sum += std::pow(TTxWavStream::ByteToValue(bytes[i]), 2);
    return std::sqrt(sum / static_cast<double>(bytes.size() - from));
}

} // namespace

TEST(EffectHost, DiscoveryReadsPortsAndTheCacheGivesThemBack)
{
    const TEffectInfo& amp = Need("/usr/lib/ladspa/amp_1181.so:amp");
    REQUIRE_EFFECT(amp);
    EXPECT_EQ(amp.Name, "Simple amplifier");
    EXPECT_EQ(amp.Category, "swh-plugins");
    EXPECT_EQ(amp.Channels, 1u);
    ASSERT_EQ(amp.Controls.size(), 1u);
    EXPECT_EQ(amp.Controls[0].Name, "Amps gain (dB)");
    EXPECT_EQ(std::make_tuple(amp.Controls[0].Min, amp.Controls[0].Max, amp.Controls[0].Default),
              std::make_tuple(-70.0f, 70.0f, 0.0f));
    // Bounds given in parts of the rate are taken at 22050 Hz; integer ports say so.
    const TEffectInfo& lowpass = Need("/usr/lib/ladspa/lowpass_iir_1891.so:lowpass_iir");
    REQUIRE_EFFECT(lowpass);
    EXPECT_FLOAT_EQ(lowpass.Controls[0].Max, 0.45f * 22050);
    EXPECT_TRUE(lowpass.Controls[0].Logarithmic);
    EXPECT_TRUE(lowpass.Controls[1].Integer);
    EXPECT_EQ(Need("/usr/lib/ladspa/fast_lookahead_limiter_1913.so:fastLookaheadLimiter").LatencyPort, 8);
    // An LV2 effect with its class and unit.
    const TEffectInfo& egAmp = Need("http://lv2plug.in/plugins/eg-amp");
    REQUIRE_EFFECT(egAmp);
    EXPECT_EQ(egAmp.Kind, TEffectKind::Lv2);
    EXPECT_EQ(egAmp.Category, "Amplifier");
    ASSERT_EQ(egAmp.Controls.size(), 1u);
    EXPECT_EQ(egAmp.Controls[0].Unit, "dB");
    // Effects of more than two channels are left out.
    EXPECT_EQ(Find(Installed(), "/usr/lib/ladspa/cmt.so:bf2cube"), nullptr);

    // The cache: what was written comes back, a changed fingerprint or damage reads as none.
    const std::string file = testing::TempDir() + "/effects-cache-test/effects.cache";
    EffectCatalog::WriteCache(file, "key 1\n", Installed());
    std::vector<TEffectInfo> back;
    ASSERT_TRUE(EffectCatalog::ReadCache(file, "key 1\n", back));
    EXPECT_TRUE(back == Installed());
    EXPECT_FALSE(EffectCatalog::ReadCache(file, "key 2\n", back));
    std::filesystem::resize_file(file, std::filesystem::file_size(file) / 2 + 3);
    EXPECT_FALSE(EffectCatalog::ReadCache(file, "key 1\n", back) && back == Installed());
}

TEST(EffectHost, AppliedEffectsOnSignals)
{
    const TEffectInfo& amp = Need("/usr/lib/ladspa/amp_1181.so:amp");
    const TEffectInfo& half = Need("/usr/lib/ladspa/cmt.so:amp_mono");
    const TEffectInfo& lowpass = Need("/usr/lib/ladspa/lowpass_iir_1891.so:lowpass_iir");
    const TEffectInfo& limiter = Need("/usr/lib/ladspa/fast_lookahead_limiter_1913.so:fastLookaheadLimiter");
    const TEffectInfo& midSide = Need("/usr/lib/ladspa/matrix_st_ms_1420.so:matrixStMS");
    const TEffectInfo& egAmp = Need("http://lv2plug.in/plugins/eg-amp");
    for (const TEffectInfo* e : {&amp, &half, &lowpass, &limiter, &midSide, &egAmp})
        REQUIRE_EFFECT(*e);

    // -6 dB and a gain of 0.5 halve a constant: 228 is 100/127, half is 50/127 (byte 178);
    // 20 is -108/127, half is -54/127 (byte 74). The LV2 amplifier at -6 dB as well.
    struct Case { const TEffectInfo* effect; float value; } halves[] = {{&amp, -6}, {&half, 0.5f}, {&egAmp, -6}};
    for (const auto& c : halves) {
        std::vector<uint8_t> bytes(3000, 228);
        std::fill(bytes.begin() + 1500, bytes.end(), 20);
        EffectProcessor::Apply(*c.effect, {c.value}, bytes.data(), static_cast<int64_t>(bytes.size()));
        EXPECT_EQ(bytes[10], 178) << c.effect->Name;
        EXPECT_EQ(bytes[1499], 178) << c.effect->Name;
        EXPECT_EQ(bytes[1500], 74) << c.effect->Name;
        EXPECT_EQ(bytes[2999], 74) << c.effect->Name;
    }

    // A low-pass at 1 kHz, four stages: a 5 kHz tone is gone, 300 Hz stays.
    std::vector<uint8_t> high = Tone(5000, 22050, 0.8), low = Tone(300, 22050, 0.8);
    const double highIn = Rms(high, 2000), lowIn = Rms(low, 2000);
    EffectProcessor::Apply(lowpass, {1000, 4}, high.data(), 22050);
    EffectProcessor::Apply(lowpass, {1000, 4}, low.data(), 22050);
    EXPECT_LT(Rms(high, 2000), 0.02 * highIn);
    EXPECT_GT(Rms(low, 2000), 0.9 * lowIn);

    // The look-ahead limiter delays by what it reports: made up for, a click stays where
    // it was (well below the limit, nothing is changed). Its two outputs are alike.
    std::vector<uint8_t> click(5000, 128);
    click[700] = 192;
    EffectProcessor::Apply(limiter, {0, 0, 0.5f}, click.data(), 5000);
    EXPECT_EQ(std::max_element(click.begin(), click.end()) - click.begin(), 700);
    EXPECT_EQ(click[700], 192);

    // Mid and side of a mono signal fed to both inputs: mid is the signal, side silence;
    // their average is half the signal.
    std::vector<uint8_t> ms(2000, 228);
    EffectProcessor::Apply(midSide, {}, ms.data(), 2000);
    EXPECT_EQ(ms[100], 178);
}

TEST(EffectHost, AnEffectThatCannotBeLoadedChangesNothing)
{
    TEffectInfo gone;
    gone.Name = "Gone";
    gone.Library = "/nonexistent/gone.so";
    gone.Label = "gone";
    gone.AudioIn = {0};
    gone.AudioOut = {1};
    std::vector<uint8_t> bytes(100, 200);
    try {
        EffectProcessor::Apply(gone, {}, bytes.data(), 100);
        FAIL() << "no error";
    } catch (const EEffectError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("The effect \"Gone\" cannot be loaded: ", 0), 0u) << e.what();
    }
    EXPECT_EQ(bytes, std::vector<uint8_t>(100, 200));
}
