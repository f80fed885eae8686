// The plug-in kit as the program sees it: each library loaded from the program folder,
// each filter called through its export with a working wave of known samples, and what
// it returns measured: echo delay and level, filter attenuation, pitch ratio, the gate
// threshold and the DC offset.
#include <gtest/gtest.h>

#include <cmath>
#include <dlfcn.h>
#include <string>
#include <vector>

#include "plugins/sonovane_plugin.h"
#include "format/WaveFormat.h"

namespace {

using Bytes = std::vector<uint8_t>;

class TKit {
public:
    explicit TKit(const std::string& file) : FHandle(dlopen((SONOVANE_KIT_DIR "/" + file).c_str(), RTLD_NOW | RTLD_LOCAL)) {}
    ~TKit()
    {
        if (FHandle) {
            Export<TFreeLib>("FreeLib")();
            dlclose(FHandle);
        }
    }
    bool Loaded() const { return FHandle != nullptr; }
    template <class F>
    F Export(const char* name) const
    {
        return reinterpret_cast<F>(dlsym(FHandle, name));
    }
    std::vector<std::string> Captions() const
    {
        std::vector<std::string> captions;
        for (int32_t i = 0; i < Export<TGetFilterCount>("GetFilterCount")(); ++i)
            captions.push_back(Export<TGetFilterName>("GetFilterName")(i));
        return captions;
    }
    TFilterProcV2 Filter(const std::string& caption) const
    {
        const auto count = Export<TGetFilterCount>("GetFilterCount")();
        for (int32_t i = 0; i < count; ++i)
            if (caption == Export<TGetFilterName>("GetFilterName")(i))
                return Export<TFilterProcV2>(Export<TGetFilterProcName>("GetFilterProcName")(i));
        return nullptr;
    }

    // Runs a filter on input with the selection first..last; the returned bytes.
    Bytes Run(const std::string& caption, Bytes input, int32_t first = 0, int32_t last = -1,
              std::string* name = nullptr) const
    {
        TWaveFormatEx format = WorkingFormat();
        TPluginWave working{input.data(), nullptr, &format, first, last < 0 ? int32_t(input.size()) - 1 : last,
                            int32_t(input.size()), "tone.wav"};
        TPluginWave final_{nullptr, nullptr, &format, 0, 0, 0, "Final Wave"};
        TPluginWave* noWaves = nullptr;
        TPluginSelection* noSelections = nullptr;
        TPluginLists lists{&noWaves, 0, &noSelections, 0};
        const TFilterProcV2 filter = Filter(caption);
        if (!filter)
            return {};
        const TPluginWave* result = filter(&working, &final_, &lists);
        if (!result)
            return {};
        EXPECT_TRUE(result->Size == 0 || (result->Format && result->Format->wFormatTag == WAVE_FORMAT_PCM &&
                                          result->Format->nChannels == 1 && result->Format->nSamplesPerSec == 22050 &&
                                          result->Format->wBitsPerSample == 8));
        if (name)
            *name = result->Name ? result->Name : "(null)";
        return Bytes(result->Data, result->Data + result->Size);
    }

private:
    void* FHandle;
};

Bytes Sine(double frequency, double amplitude, size_t count, double offset = 0)
{
    Bytes b(count);
    for (size_t i = 0; i < count; ++i)
        b[i] = uint8_t(std::lrint(128 + offset + amplitude * 127 * std::sin(2 * M_PI * frequency * double(i) / 22050)));
    return b;
}

// RMS in steps of the second half (past the filters' settling).
double Rms(const Bytes& b)
{
    double sum = 0;
    for (size_t i = b.size() / 2; i < b.size(); ++i)
        sum += (b[i] - 128.0) * (b[i] - 128.0);
    return std::sqrt(sum / double(b.size() - b.size() / 2));
}

// Frequency from the first to the last rising zero crossing, crossings interpolated.
double Frequency(const Bytes& b)
{
    double first = -1, last = -1;
    int crossings = 0;
    for (size_t i = 1; i < b.size(); ++i) {
        const double a = b[i - 1] - 128.0, c = b[i] - 128.0;
        if (a < 0 && c >= 0) {
            const double t = double(i - 1) + a / (a - c);
            if (first < 0)
                first = t;
            last = t;
            ++crossings;
        }
    }
    return crossings < 2 ? 0 : (crossings - 1) / (last - first) * 22050;
}

// Loaded afresh for each test and unloaded after it, as the program does for each run.
class PluginKit : public ::testing::Test {
protected:
    const TKit& Effects() const { return FEffects; }
    const TKit& Repair() const { return FRepair; }

private:
    TKit FEffects{"kit_effects.txf"};
    TKit FRepair{"kit_repair.txf"};
};

} // namespace

TEST_F(PluginKit, LibrariesExportTheInterface)
{
    ASSERT_TRUE(Effects().Loaded() && Repair().Loaded()) << dlerror();
    for (const TKit* kit : {&Effects(), &Repair()}) {
        EXPECT_EQ(kit->Export<TGetPluginVersion>("GetPluginVersion")(), SONOVANE_PLUGIN_VERSION_2);
        EXPECT_NE(kit->Export<TInitLib>("InitLib"), nullptr);
        for (const std::string& caption : kit->Captions())
            EXPECT_NE(kit->Filter(caption), nullptr) << caption;
        EXPECT_EQ(kit->Captions().back(), "About");
    }
    EXPECT_EQ(Effects().Captions().size(), 7u);
    EXPECT_EQ(Repair().Captions().size(), 4u);
    EXPECT_STREQ(Effects().Export<TGetModulName>("GetModulName")(), "Effects kit");
    EXPECT_STREQ(Repair().Export<TGetModulName>("GetModulName")(), "Repair kit");
}

TEST_F(PluginKit, WorksOnTheSelectionAndNamesTheResult)
{
    std::string name;
    Bytes in(100, 128);
    in[10] = 255;
    // Selection 10..19 only: ten samples plus the echo's six repeats of 200 ms.
    const Bytes out = Effects().Run("Echo", in, 10, 19, &name);
    EXPECT_EQ(out.size(), 10u + 6 * 4410);
    EXPECT_EQ(out[0], 255);
    EXPECT_EQ(name, "tone.wav (Echo)");
    EXPECT_TRUE(Effects().Run("Echo", {}, 0, 0, &name).empty());
    EXPECT_EQ(name, "Echo: the working wave is empty");
    EXPECT_TRUE(Repair().Run("About", Bytes(10, 128), 0, -1, &name).empty());
    EXPECT_EQ(name.rfind("Repair kit 1.0", 0), 0u);
}

TEST_F(PluginKit, EchoRepeatsAfterItsDelayAtItsLevel)
{
    Bytes impulse(100, 128);
    impulse[0] = 255;  // 1.0
    const Bytes out = Effects().Run("Echo", impulse);
    ASSERT_EQ(out.size(), 100u + 6 * 4410);
    // 1, 0.4, 0.16, 0.064 ... of full scale, each 4410 samples later; silence between.
    const int expected[] = {127, 51, 20, 8, 3, 1, 1};
    for (size_t i = 0; i < out.size(); ++i) {
        const bool repeat = i % 4410 == 0;
        EXPECT_EQ(out[i] - 128, repeat ? expected[i / 4410] : 0) << "sample " << i;
        if (out[i] - 128 != (repeat ? expected[i / 4410] : 0))
            break;
    }
}

TEST_F(PluginKit, FiltersPassAndStop)
{
    struct Case {
        const char* filter;
        double frequency;
        double minLoss, maxLoss;  // dB
    } cases[] = {
        {"Low-pass 2 kHz", 4000, 20, 99},  // twice the cut-off
        {"Low-pass 2 kHz", 500, -1, 1},
        {"High-pass 300 Hz", 150, 20, 99},  // half the cut-off
        {"High-pass 300 Hz", 2400, -1, 1},
    };
    for (const Case& c : cases) {
        const Bytes in = Sine(c.frequency, 0.8, 4410);
        const Bytes out = Effects().Run(c.filter, in);
        ASSERT_EQ(out.size(), in.size());
        const double loss = 20 * std::log10(Rms(in) / std::max(Rms(out), 1e-9));
        EXPECT_GE(loss, c.minLoss) << c.filter << " at " << c.frequency;
        EXPECT_LE(loss, c.maxLoss) << c.filter << " at " << c.frequency;
    }
}

TEST_F(PluginKit, PitchShiftsByTheRatioOfFiveSemitones)
{
    const double ratio = std::pow(2.0, 5.0 / 12.0);
    const Bytes in = Sine(441, 0.8, 22050);
    const double source = Frequency(in);
    for (const auto& [filter, r] : {std::pair<const char*, double>{"Pitch up (+5 semitones)", ratio},
                                    {"Pitch down (-5 semitones)", 1 / ratio}}) {
        const Bytes out = Effects().Run(filter, in);
        EXPECT_NEAR(Frequency(out) / source, r, r * 0.005) << filter;
        EXPECT_NEAR(double(out.size()), 22050 / r, 2) << filter;
    }
}

TEST_F(PluginKit, NoiseGateOpensAtItsThreshold)
{
    // Four steps from the zero line open the gate, three do not; it holds 220 samples.
    Bytes in(3000, 128);
    for (size_t i = 0; i < 1000; ++i)
        in[i] = i % 2 ? 131 : 125;  // 3 steps: below
    for (size_t i = 2000; i < 3000; ++i)
        in[i] = i % 2 ? 132 : 124;  // 4 steps: at the threshold
    in[1500] = 200;                  // one loud sample in silence
    const Bytes out = Repair().Run("Noise gate", in);
    ASSERT_EQ(out.size(), in.size());
    for (size_t i = 0; i < 1000; ++i)
        ASSERT_EQ(out[i], 128) << i;
    for (size_t i = 1280; i <= 1720; ++i)
        ASSERT_EQ(out[i], in[i]) << i;
    for (size_t i = 2000; i < 3000; ++i)
        ASSERT_EQ(out[i], in[i]) << i;
    Bytes quietEdge(in);
    quietEdge[1000] = 140;  // opens 220 samples either side, not 221
    const Bytes edge = Repair().Run("Noise gate", quietEdge);
    EXPECT_EQ(edge[779], 128);
    EXPECT_EQ(edge[780], in[780]);
}

TEST_F(PluginKit, DcOffsetIsRemovedToWithinOneStep)
{
    for (double offset : {20.0, -35.0, 0.0}) {
        const Bytes in = Sine(300, 0.4, 4410, offset);
        const Bytes out = Repair().Run("Remove DC offset", in);
        double mean = 0;
        for (uint8_t b : out)
            mean += b - 128.0;
        EXPECT_LE(std::abs(mean / double(out.size())), 1.0) << offset;
        EXPECT_NEAR(Rms(out), Rms(Sine(300, 0.4, 4410)), 1.0) << offset;
    }
}

TEST_F(PluginKit, BitCrushKeepsFourBitsAtHalfTheRate)
{
    const Bytes out = Repair().Run("Bit-crush", {128, 200, 135, 0, 137, 1, 255, 100});
    EXPECT_EQ(out, (Bytes{128, 128, 128, 128, 144, 144, 255, 255}));
}

TEST_F(PluginKit, ReverseReverbSwellsBeforeTheSound)
{
    Bytes in(2000, 128);
    for (size_t i = 0; i < 200; ++i)
        in[i] = i % 20 < 10 ? 228 : 28;
    const Bytes out = Effects().Run("Reverse reverb", in);
    ASSERT_EQ(out.size(), in.size() + 17640);
    // Silence at the very start, a swell during the tail, the sound itself after it.
    const auto energy = [&](size_t from, size_t to) {
        double sum = 0;
        for (size_t i = from; i < to; ++i)
            sum += std::abs(out[i] - 128.0);
        return sum / double(to - from);
    };
    EXPECT_LT(energy(0, 2000), 0.5);
    EXPECT_GT(energy(15640, 17640), 3 * energy(8000, 10000));
    EXPECT_GT(energy(17640, 17840), 50);
}
