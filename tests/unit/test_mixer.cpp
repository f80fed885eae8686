// The mixer: its factor, the one-step convergence limit, growing the target with 127s,
// and exact bytes (expected values worked out independently with exact fractions).
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "rules/waveprocessing.h"
#include "tests/support/TestWaves.h"

using namespace testwaves;

namespace {

// pad bytes of padByte, then bytes, then pad more.
ByteVector Padded(const ByteVector& bytes, size_t pad, uint8_t padByte)
{
    ByteVector v(pad, padByte);
    v.insert(v.end(), bytes.begin(), bytes.end());
    v.insert(v.end(), pad, padByte);
    return v;
}

void Make(TTxWavStream& w, const ByteVector& bytes)
{
    w.SetFormat(WorkingFormat());
    Fill(w, bytes);
}

// The mix sample by sample through the wave's own accessors, as the rule states it.
void PlainMix(TTxWavStream& source, TTxWavStream& target, int32_t a, int32_t n, int32_t b)
{
    float peakMax = 0, peakSum = 0;
    for (int32_t i = 0; i < n; ++i) {
        const float x = source.GetMagnitude(a + i), y = target.GetMagnitude(b + i);
        peakMax = std::max({peakMax, x, y});
        if (x + y > peakSum)
            peakSum = x + y;
    }
    const float factor = static_cast<float>(static_cast<long double>(peakMax) / peakSum * (2.0L - peakMax));
    for (int32_t i = 0; i < n; ++i)
        target.SetValue(b + i, static_cast<float>((static_cast<long double>(target.GetValue(b + i)) +
                                                   source.GetValue(a + i)) * factor));
}

} // namespace

TEST(Mixer, Factor)
{
    const struct {
        float peakMax, peakSum, factor;
    } cases[] = {
        {1.0f, 2.0f, 0.5f},
        {0.1f, 0.2f, 0.95f},
        {1.0f, 1.0f, 1.0f},
        {64.0f / 127, 128.0f / 127, 0.748031497001648f},
        {1.0f, 1.0f + 1.0f / 127, 0.9921875f},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MixFactor(c.peakMax, c.peakSum), c.factor) << c.peakMax << " " << c.peakSum;
}

// Only the n samples from b change; the peaks are taken from the two ranges alone (the
// padding around them is louder than both).
TEST(Mixer, ExactBytes)
{
    const struct {
        ByteVector source, target, mixed;
    } cases[] = {
        {{1, 255, 1, 255}, {1, 255, 1, 255}, {1, 255, 1, 255}},  // factor 0.5: unchanged
        {{192, 64, 128, 200}, {192, 128, 0, 30}, {224, 80, 32, 109}},
        {{130, 126, 128, 131, 125}, {128, 129, 127, 133, 120}, {131, 127, 127, 139, 113}},
        {{255, 255, 255}, {127, 127, 127}, {253, 253, 253}},
        {{130}, {128}, {132}},  // two steps: the smallest peak that mixes
    };
    for (const auto& c : cases) {
        TTxWavStream source, target;
        const int32_t n = static_cast<int32_t>(c.source.size());
        Make(source, Padded(c.source, 2, 0));
        Make(target, Padded(c.target, 3, 255));
        MixWaves(source, target, 2, n, 3);
        EXPECT_EQ(Bytes(target), Padded(c.mixed, 3, 255)) << int(c.source[0]);
        EXPECT_EQ(Bytes(source), Padded(c.source, 2, 0));
    }
}

// A peak of one step fails, two steps mix; an empty range fails too.
TEST(Mixer, ConvergenceLimit)
{
    const struct {
        uint8_t source, target;
        int32_t n;
        bool fails;
    } cases[] = {
        {127, 129, 50, true}, {129, 129, 50, true}, {128, 128, 50, true}, {128, 127, 50, true},
        {130, 128, 50, false}, {126, 128, 50, false}, {128, 130, 1, false}, {200, 200, 0, true},
    };
    for (const auto& c : cases) {
        TTxWavStream source, target;
        Make(source, ByteVector(50, c.source));
        Make(target, ByteVector(50, c.target));
        const std::string error = ErrorOf([&] { MixWaves(source, target, 0, c.n, 0); });
        EXPECT_EQ(error, c.fails ? MixerConvergationErrorText : "(no exception)")
            << int(c.source) << " " << int(c.target);
        if (c.fails) {
            EXPECT_EQ(Bytes(target), ByteVector(50, c.target));
        }
    }
}

// The target grows to b + n with 127s, and stays grown when the mix then fails.
TEST(Mixer, GrowsTheTarget)
{
    TTxWavStream source, target;
    Make(source, ByteVector(3000, 129));  // one step: the mix will fail
    ByteVector former = Iota(1000);
    former.resize(2000, 128);
    Make(target, former);
    EXPECT_EQ(ErrorOf([&] { MixWaves(source, target, 0, 3000, 1000); }), MixerConvergationErrorText);
    ByteVector grown = former;
    grown.resize(4000, 127);
    EXPECT_EQ(Bytes(target), grown);

    // Into an empty wave: every mixed byte was a 127.
    TTxWavStream empty;
    Make(source, ByteVector(10, 255));
    MixWaves(source, empty, 0, 10, 0);
    EXPECT_EQ(Bytes(empty), ByteVector(10, 253));

    // Bad offsets change nothing, not even the size.
    for (auto [a, n, b] : {std::tuple{-1, 5, 0}, {0, -1, 0}, {0, 5, -1}, {8, 3, 0}}) {
        TTxWavStream t;
        Make(t, ByteVector(4, 200));
        EXPECT_EQ(ErrorOf([&] { MixWaves(source, t, a, n, b); }), WavText::IndexOutOfRange);
        EXPECT_EQ(Bytes(t), ByteVector(4, 200));
    }
}

// Long ranges go through a table of all byte pairs; both ways give the plain rule's
// bytes, also when source and target are one wave with overlapping ranges.
TEST(Mixer, SameAsSampleBySample)
{
    std::mt19937 rng(7);
    for (int32_t n : {5000, (1 << 17) + 3}) {
        ByteVector bytes(n + 10);
        for (auto& x : bytes)
            x = static_cast<uint8_t>(128 + std::lround(std::normal_distribution<double>(0, 40)(rng)));
        for (auto [a, b, sameWave] : {std::tuple{0, 0, false}, {3, 7, false}, {2, 5, true}, {6, 1, true}}) {
            TTxWavStream s1, t1, s2, t2;
            Make(s1, bytes), Make(s2, bytes);
            Make(t1, Iota(n + 10, 50)), Make(t2, Iota(n + 10, 50));
            MixWaves(sameWave ? t1 : s1, t1, a, n, b);
            PlainMix(sameWave ? t2 : s2, t2, a, n, b);
            EXPECT_EQ(Bytes(t1), Bytes(t2)) << n << " " << a << " " << b << " " << sameWave;
        }
    }
}
