// The edit effects of the working-format wave: exact bytes and selections on crafted
// waves, and identity with a plain sample-by-sample implementation on random ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <random>
#include <tuple>
#include <utility>

#include "tests/support/TestWaves.h"
#include "wave/Wavs_ex.h"

using namespace testwaves;

namespace {

// The effects written sample by sample through the wave's accessors, as the rules state
// them; the fast operations must give exactly the same bytes and selections.
namespace plain {

void Amplify(TTxWavStream& w, float factor)
{
    for (int32_t i = w.SelStart(); w.Size() > 0 && i <= w.SelEnd(); ++i)
        w.ScaleSample(i, factor);
}

void Normalize(TTxWavStream& w, float level)
{
    float peak = 0;
    for (int32_t i = w.SelStart(); w.Size() > 0 && i <= w.SelEnd(); ++i)
        peak = w.GetMagnitude(i) > peak ? w.GetMagnitude(i) : peak;
    for (int32_t i = w.SelStart(); peak > 0 && i <= w.SelEnd(); ++i)
        w.ScaleSample(i, level / peak);
}

void Fade(TTxWavStream& w, int32_t start, int32_t length, float gain, bool out)
{
    start = std::max(start, 0);
    if (w.Size() == 0 || start >= w.Size() - 2)
        return;
    if (int64_t{start} + length > w.Size() - 1 || length <= 0)
        length = w.Size() - start - 1;
    for (int32_t i = start; i <= start + length; ++i) {
        const long double r = static_cast<long double>(i - start) / length;
        w.ScaleSample(i, static_cast<float>(out ? 1 - r * gain : r * gain));
    }
}

void Reverse(TTxWavStream& w)
{
    for (int32_t k = 0; w.Size() > 0 && w.SelLength() >= 4 && k < w.SelLength() / 2; ++k) {
        const uint8_t a = w.GetByte(w.SelStart() + k);
        w.SetByte(w.SelStart() + k, w.GetByte(w.SelEnd() - k));
        w.SetByte(w.SelEnd() - k, a);
    }
}

void Cut(TTxWavStream& w, bool trim)
{
    if (w.Size() == 0)
        return;
    if (w.SelEnd() >= w.Size())
        w.SetSelEnd(w.Size() - 1);
    trim ? w.CropTo(w.SelStart(), w.SelLength()) : w.DeleteRange(w.SelStart(), w.SelLength());
    w.SetSelStart(0);
    w.SetSelEnd(w.Size() - 1);
    if (w.Size() < 100)
        w.Clear();
}

void SpeedUp(TTxWavStream& w)
{
    const int32_t s = w.SelStart(), h = w.SelLength() / 2;
    if (h < 1)
        return;
    for (int32_t i = 1; i <= h - 1; ++i)
        w.SetByte(s + i, w.GetByte(s + 2 * i));
    w.SetSelStart(s + h);
    Cut(w, false);
    w.SetSelStart(s);
    w.SetSelEnd(s + h);
    if (w.Size() < 100)
        w.Clear();
}

void SlowDown(TTxWavStream& w)
{
    const int32_t s = w.SelStart(), e = w.SelEnd(), n = w.SelLength(), old = w.Size();
    if (n < 1)
        return;
    w.SetSize(old + n);
    if (old - 1 > e)
        w.MoveRange(e + 1, old - e - 1, e + n + 1);
    for (int32_t k = n - 1; k >= 1; --k) {
        w.SetValue(s + 2 * k + 1, w.GetValue(s + k));
        const long double sum = static_cast<long double>(w.GetValue(s + k)) + w.GetValue(s + k - 1);
        w.SetValue(s + 2 * k, static_cast<float>(sum / 2));
    }
    w.SetValue(s + 1, w.GetValue(s));
    if (w.Size() < 100)
        w.Clear();
    w.SetSelEnd(s + 2 * n);
}

} // namespace plain

void Load(TTxWavStream& w, const ByteVector& bytes, int32_t selStart, int32_t selEnd)
{
    Fill(w, bytes);
    w.SetSelStart(selStart);
    w.SetSelEnd(selEnd);
}

struct Outcome {
    ByteVector bytes;
    int32_t selStart, selEnd;
};

Outcome Of(const TTxWavStream& w)
{
    return {Bytes(w), w.SelStart(), w.SelEnd()};
}

void ExpectSame(const Outcome& got, const Outcome& want, const std::string& what)
{
    EXPECT_EQ(got.selStart, want.selStart) << what;
    EXPECT_EQ(got.selEnd, want.selEnd) << what;
    ASSERT_EQ(got.bytes.size(), want.bytes.size()) << what;
    for (size_t i = 0; i < got.bytes.size(); ++i)
        ASSERT_EQ(got.bytes[i], want.bytes[i]) << what << " at byte " << i;
}

} // namespace

TEST(Effects, AmplitudeOnCraftedBytes)
{
    struct Case {
        const char* what;
        ByteVector in;
        int32_t selStart, selEnd;
        bool normalize;
        float arg;
        ByteVector out;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<Case> cases = {
        {"increase saturates", {250, 255, 0, 1}, 0, 3, false, 1.1f, {255, 255, 1, 1}},
        {"reduce lifts a zero byte", {0, 1, 2, 64, 192, 250, 254, 255}, 0, 7, false, 0.9f,
         {13, 14, 15, 70, 186, 238, 241, 242}},
        {"increase", {64, 127, 128, 129, 192}, 0, 4, false, 1.1f, {58, 127, 128, 129, 198}},
        {"invert", {0, 2, 127, 129, 250}, 0, 4, false, -1.0f, {255, 254, 129, 127, 6}},
        {"not a number stores -1", {128, 200}, 0, 1, false, nan, {1, 1}},
        {"only the selection", {250, 250, 250, 250}, 1, 2, false, 1.1f, {250, 255, 255, 250}},
        {"reversed ends touch nothing", {250, 250, 250}, 2, 1, false, 1.1f, {250, 250, 250}},
        {"100% brings 192 to 254", {100, 128, 192, 140}, 0, 3, true, 0.99f, {73, 128, 254, 152}},
        {"Normalize brings 192 to 236", {100, 128, 192, 140}, 0, 3, true, NormalizeLevel / 100.0f,
         {81, 128, 236, 148}},
        {"a zero byte is the loudest", {0, 64, 192, 128, 255}, 0, 4, true, 0.85f, {20, 74, 182, 128, 235}},
        {"50% ties to even", {0, 64, 192, 128, 255}, 0, 4, true, 0.5f, {64, 96, 160, 128, 191}},
        {"silence", {0, 64, 192, 255}, 0, 3, true, 0.0f, {128, 128, 128, 128}},
        {"silent selection stays", {128, 128, 128}, 0, 2, true, 0.85f, {128, 128, 128}},
        {"peak of the selection only", {255, 192, 160, 0}, 1, 2, true, 0.99f, {255, 254, 191, 0}},
    };
    for (const Case& c : cases) {
        TTxWavStream w;
        Load(w, c.in, c.selStart, c.selEnd);
        c.normalize ? w.Normalize(c.arg) : w.Amplify(c.arg);
        EXPECT_EQ(Bytes(w), c.out) << c.what;
        EXPECT_EQ(w.SelStart(), c.selStart) << c.what;
        EXPECT_EQ(w.SelEnd(), c.selEnd) << c.what;
    }
}

TEST(Effects, FadesOnCraftedBytes)
{
    // Full-scale bytes (value 1) show each factor as round(127 * factor) + 128.
    struct Case {
        const char* what;
        int32_t size, start, length;
        float gain;
        bool out;
        int32_t first;      // first byte changed
        ByteVector ramp;    // the bytes from first on; all others stay 255
    };
    const std::vector<Case> cases = {
        {"in, tenths, 110 reaches 1", 1000, 100, 10, 1, false, 100,
         {128, 141, 153, 166, 179, 192, 204, 217, 230, 242, 255}},
        {"out, 110 becomes the zero line", 1000, 100, 10, 1, true, 100,
         {255, 242, 230, 217, 204, 192, 179, 166, 153, 141, 128}},
        {"in, ends at the last sample in ninths", 1000, 990, 10, 1, false, 990,
         {128, 142, 156, 170, 184, 199, 213, 227, 241, 255}},
        {"out, ends at the last sample in ninths", 1000, 990, 10, 1, true, 990,
         {255, 241, 227, 213, 199, 184, 170, 156, 142, 128}},
        {"third-last start", 1000, 997, 3, 1, false, 997, {128, 192, 255}},
        {"second-last start", 1000, 998, 2, 1, false, 998, {}},
        {"last start", 1000, 999, 1, 1, true, 999, {}},
        {"length 0 runs to the end", 10, 5, 0, 1, false, 5, {128, 160, 192, 223, 255}},
        {"negative length runs to the end", 10, 5, -3, 1, true, 5, {255, 223, 192, 160, 128}},
        {"negative start counts from 0", 10, -4, 4, 1, false, 0, {128, 160, 192, 223, 255}},
        {"half gain", 10, 0, 4, 0.5f, false, 0, {128, 144, 160, 176, 192}},
        {"half depth", 10, 0, 4, 0.5f, true, 0, {255, 239, 223, 207, 192}},
        {"small wave", 3, 0, 2, 1, false, 0, {128, 192, 255}},
        {"too small", 2, 0, 1, 1, false, 0, {}},
    };
    for (const Case& c : cases) {
        TTxWavStream w;
        Load(w, ByteVector(c.size, 255), 3, 1);
        c.out ? w.FadeOutRange(c.start, c.length, c.gain) : w.FadeInRange(c.start, c.length, c.gain);
        ByteVector want = ByteVector(c.size, 255);
        std::copy(c.ramp.begin(), c.ramp.end(), want.begin() + c.first);
        EXPECT_EQ(Bytes(w), want) << c.what;
        EXPECT_EQ(w.SelStart(), c.size > 3 ? 3 : 0) << c.what;
        EXPECT_EQ(w.SelEnd(), 1) << c.what;
    }
    TTxWavStream empty;
    empty.FadeInRange(0, 0, 1);
    EXPECT_EQ(empty.Size(), 0);
}

TEST(Effects, ReverseOnCraftedBytes)
{
    struct Case {
        ByteVector in;
        int32_t selStart, selEnd;
        ByteVector out;
    };
    const std::vector<Case> cases = {
        {{1, 2, 3, 4}, 0, 3, {4, 3, 2, 1}},
        {{1, 2, 3, 4, 5}, 0, 4, {5, 4, 3, 2, 1}},
        {{1, 2, 3}, 0, 2, {1, 2, 3}},
        {{0, 1, 2, 3, 4, 5, 6}, 3, 6, {0, 1, 2, 6, 5, 4, 3}},
        {{0, 1, 2, 3, 4, 5, 6}, 1, 5, {0, 5, 4, 3, 2, 1, 6}},
        {{0, 1, 2, 3, 4, 5, 6}, 5, 1, {0, 1, 2, 3, 4, 5, 6}},
    };
    for (const Case& c : cases) {
        TTxWavStream w;
        Load(w, c.in, c.selStart, c.selEnd);
        w.ReverseSelection();
        EXPECT_EQ(Bytes(w), c.out);
        EXPECT_EQ(w.SelStart(), c.selStart);
        EXPECT_EQ(w.SelEnd(), c.selEnd);
    }
}

TEST(Effects, CutsAndTheShortWaveRule)
{
    struct Case {
        const char* what;
        int32_t size, selStart, selEnd;
        bool trim;
        int32_t first, count; // the bytes of Iota(size) that remain
    };
    const std::vector<Case> cases = {
        {"delete 950 of 1000 empties", 1000, 25, 974, false, 0, 0},
        {"delete 900 of 1000 leaves 100", 1000, 50, 949, false, -1, 0},
        {"delete 901 of 1000 empties", 1000, 0, 900, false, 0, 0},
        {"delete everything", 1000, 0, 999, false, 0, 0},
        {"delete the end", 300, 200, 299, false, 0, 200},
        {"trim to 100", 1000, 900, 999, true, 900, 100},
        {"trim to 99 empties", 1000, 0, 98, true, 0, 0},
        {"trim on a short wave empties", 50, 0, 49, true, 0, 0},
        {"trim to the whole wave", 120, 0, 119, true, 0, 120},
    };
    for (const Case& c : cases) {
        TTxWavStream w;
        const ByteVector in = Iota(c.size, 7);
        Load(w, in, c.selStart, c.selEnd);
        c.trim ? w.TrimToSelection() : w.RemoveSelection();
        ByteVector want;
        if (c.first >= 0) {
            want.assign(in.begin() + c.first, in.begin() + c.first + c.count);
        } else { // what lies outside the selection
            want.assign(in.begin(), in.begin() + c.selStart);
            want.insert(want.end(), in.begin() + c.selEnd + 1, in.end());
        }
        EXPECT_EQ(Bytes(w), want) << c.what;
        EXPECT_EQ(w.SelStart(), 0) << c.what;
        EXPECT_EQ(w.SelEnd(), want.empty() ? 0 : static_cast<int32_t>(want.size()) - 1) << c.what;
    }
}

TEST(Effects, SpeedChangesOnCraftedBytes)
{
    {
        // Every second sample of 0..999 of 5000, the rest of the wave behind it.
        TTxWavStream w;
        const ByteVector in = Iota(5000, 3);
        Load(w, in, 0, 999);
        w.SpeedUpSelection();
        ByteVector want;
        for (int i = 0; i < 500; ++i)
            want.push_back(in[2 * i]);
        want.insert(want.end(), in.begin() + 1000, in.end());
        EXPECT_EQ(Bytes(w), want);
        EXPECT_EQ(w.SelStart(), 0);
        EXPECT_EQ(w.SelEnd(), 500);
    }
    struct Case {
        const char* what;
        int32_t size, selStart, selEnd;
        bool slow;
        int32_t newSize, newStart, newEnd;
    };
    const std::vector<Case> cases = {
        {"one sample: nothing", 200, 10, 10, false, 200, 10, 10},
        {"two samples: one removed", 200, 10, 11, false, 199, 10, 11},
        {"odd: the last sample dropped", 200, 10, 14, false, 197, 10, 12},
        {"at the end: selection clamped", 200, 190, 199, false, 195, 190, 194},
        {"to 99 empties", 198, 0, 197, false, 0, 0, 0},
        {"to 100 stays", 200, 0, 199, false, 100, 0, 99},
        {"slow down the whole 100", 100, 0, 99, true, 200, 0, 199},
        {"slow down in the middle", 150, 10, 19, true, 160, 10, 30},
        {"slow down one sample", 150, 149, 149, true, 151, 149, 150},
        {"slow down to 98 empties", 49, 0, 48, true, 0, 0, 0},
        {"reversed ends: nothing", 150, 20, 10, true, 150, 20, 10},
    };
    for (const Case& c : cases) {
        TTxWavStream w;
        Load(w, Iota(c.size), c.selStart, c.selEnd);
        c.slow ? w.SlowDownSelection() : w.SpeedUpSelection();
        EXPECT_EQ(w.Size(), c.newSize) << c.what;
        EXPECT_EQ(w.SelStart(), c.newStart) << c.what;
        EXPECT_EQ(w.SelEnd(), c.newEnd) << c.what;
    }
    {
        // The stretched bytes: the first kept raw, each mean and copy through the store
        // rule; a mean of -1/254 ties to the zero line, 0 becomes 1, the tail moves on.
        TTxWavStream w;
        ByteVector in = ByteVector(120, 128);
        in[10] = 0, in[11] = 255, in[12] = 128, in[13] = 200, in[14] = 201, in[15] = 90;
        Load(w, in, 10, 14);
        w.SlowDownSelection();
        ByteVector want = in;
        const ByteVector stretched = {0, 1, 128, 255, 192, 128, 164, 200, 201, 201};
        want.erase(want.begin() + 10, want.begin() + 15);
        want.insert(want.begin() + 10, stretched.begin(), stretched.end());
        EXPECT_EQ(Bytes(w), want);
        EXPECT_EQ(w.SelEnd(), 20);
    }
}

TEST(Effects, SelectionBeyondTheWaveChangesNothing)
{
    using Effect = void (*)(TTxWavStream&);
    const std::vector<std::pair<const char*, Effect>> effects = {
        {"amplify", [](TTxWavStream& w) { w.Amplify(1.1f); }},
        {"normalize", [](TTxWavStream& w) { w.Normalize(0.85f); }},
        {"reverse", [](TTxWavStream& w) { w.ReverseSelection(); }},
        {"speed up", [](TTxWavStream& w) { w.SpeedUpSelection(); }},
        {"slow down", [](TTxWavStream& w) { w.SlowDownSelection(); }},
    };
    for (const auto& [what, effect] : effects) {
        TTxWavStream w;
        Load(w, Iota(300), 100, 299);
        w.SetSize(150); // the memory stream leaves the selection as it was
        const ByteVector before = Bytes(w);
        EXPECT_EQ(ErrorOf([&] { effect(w); }), "Index out of range!") << what;
        EXPECT_EQ(Bytes(w), before) << what;
    }
}

TEST(Effects, SameBytesAsSampleBySample)
{
    std::mt19937 rng(1324);
    const auto pick = [&](int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(rng); };
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const std::vector<float> factors = {1.1f, 0.9f, 0.99f, 0.85f, 0.75f, 0.5f, 0, -1, 1e-30f, 3.5f, 1 / 3.0f, nan, inf};
    const std::vector<float> gains = {1, 1, 1, 0.5f, 2, -1, 1e-3f, 0.7f, 1 / 3.0f, 1e-40f, nan, inf};
    const std::vector<int32_t> sizes = {1, 2, 3, 4, 5, 7, 16, 17, 31, 33, 63, 64, 65, 99, 100, 101, 199,
                                        200, 201, 255, 256, 257, 1000, 1023, 4099, 70001};

    for (int round = 0; round < 700; ++round) {
        const int32_t size = sizes[round % sizes.size()];
        ByteVector in(size);
        switch (round % 3) {
        case 0: // every byte value, many times over
            for (int32_t i = 0; i < size; ++i)
                in[i] = static_cast<uint8_t>(i * 97 + round);
            break;
        case 1: // extremes and the zero line
            for (auto& b : in)
                b = std::vector<uint8_t>{0, 1, 2, 126, 127, 128, 129, 253, 254, 255}[pick(0, 9)];
            break;
        default:
            for (auto& b : in)
                b = static_cast<uint8_t>(pick(0, 255));
        }
        // Selections everywhere, touching either end or both, sometimes reversed.
        int32_t a = pick(0, size - 1), b = pick(0, size - 1);
        switch (round % 5) {
        case 0: a = 0, b = size - 1; break;
        case 1: a = 0; break;
        case 2: b = size - 1; break;
        case 3: if (a > b) std::swap(a, b); break;
        default: break;
        }
        const float factor = round % 2 ? factors[pick(0, factors.size() - 1)]
                                       : std::uniform_real_distribution<float>(-3, 3)(rng);
        const float gain = gains[pick(0, gains.size() - 1)];
        const int32_t start = pick(-5, size + 1);
        const int32_t length = pick(0, 3) == 0 ? pick(-2, 2) : pick(0, size + 5);

        using Op = std::function<void(TTxWavStream&)>;
        const std::vector<std::tuple<std::string, Op, Op>> ops = {
            {"Amplify", [&](TTxWavStream& w) { w.Amplify(factor); }, [&](TTxWavStream& w) { plain::Amplify(w, factor); }},
            {"Normalize", [&](TTxWavStream& w) { w.Normalize(factor); },
             [&](TTxWavStream& w) { plain::Normalize(w, factor); }},
            {"FadeIn", [&](TTxWavStream& w) { w.FadeInRange(start, length, gain); },
             [&](TTxWavStream& w) { plain::Fade(w, start, length, gain, false); }},
            {"FadeOut", [&](TTxWavStream& w) { w.FadeOutRange(start, length, gain); },
             [&](TTxWavStream& w) { plain::Fade(w, start, length, gain, true); }},
            {"Reverse", [](TTxWavStream& w) { w.ReverseSelection(); }, plain::Reverse},
            {"Trim", [](TTxWavStream& w) { w.TrimToSelection(); }, [](TTxWavStream& w) { plain::Cut(w, true); }},
            {"Remove", [](TTxWavStream& w) { w.RemoveSelection(); }, [](TTxWavStream& w) { plain::Cut(w, false); }},
            {"SpeedUp", [](TTxWavStream& w) { w.SpeedUpSelection(); }, plain::SpeedUp},
            {"SlowDown", [](TTxWavStream& w) { w.SlowDownSelection(); }, plain::SlowDown},
        };
        for (const auto& [name, fast, reference] : ops) {
            TTxWavStream got, want;
            Load(got, in, a, b);
            Load(want, in, a, b);
            const std::string gotError = ErrorOf([&] { fast(got); });
            const std::string wantError = ErrorOf([&] { reference(want); });
            const std::string what = name + " size " + std::to_string(size) + " sel " + std::to_string(a) + ".." +
                                     std::to_string(b) + " factor " + std::to_string(factor) + " start " +
                                     std::to_string(start) + " length " + std::to_string(length) + " gain " +
                                     std::to_string(gain);
            EXPECT_EQ(gotError, wantError) << what;
            ExpectSame(Of(got), Of(want), what);
        }
    }
}

TEST(Effects, LongSelectionsSameBytesAsSampleBySample)
{
    // Long selections take the table paths: byte pairs, fades by blocks, pairs of
    // neighbours. Every byte value, full scale most often.
    ByteVector in(4200007);
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = i % 3 ? (i % 2 ? 255 : 1) : static_cast<uint8_t>(i * 131 >> 4);
    using Op = std::function<void(TTxWavStream&)>;
    const std::vector<std::tuple<const char*, Op, Op>> ops = {
        {"amplify", [](TTxWavStream& w) { w.Amplify(1.1f); }, [](TTxWavStream& w) { plain::Amplify(w, 1.1f); }},
        {"normalize", [](TTxWavStream& w) { w.Normalize(0.99f); }, [](TTxWavStream& w) { plain::Normalize(w, 0.99f); }},
        {"fade in", [](TTxWavStream& w) { w.FadeInRange(0, 0, 1); }, [](TTxWavStream& w) { plain::Fade(w, 0, 0, 1, false); }},
        {"fade out", [](TTxWavStream& w) { w.FadeOutRange(3, 4200000, 0.999f); },
         [](TTxWavStream& w) { plain::Fade(w, 3, 4200000, 0.999f, true); }},
        {"slow down", [](TTxWavStream& w) { w.SlowDownSelection(); }, plain::SlowDown},
    };
    for (const auto& [what, fast, reference] : ops) {
        TTxWavStream got, want;
        Load(got, in, 0, 0);
        Load(want, in, 0, 0);
        fast(got);
        reference(want);
        ExpectSame(Of(got), Of(want), what);
    }
    // Samples whose factor a double computation of k * (gain / length) gets one unit
    // wrong in the last place, enough to move the byte 62.
    const int32_t length = 4439864;
    const float gain = 1 / 3.0f;
    TTxWavStream got, want;
    Load(got, ByteVector(length + 1, 128), 0, 0);
    Load(want, ByteVector(length + 1, 128), 0, 0);
    for (int32_t k : {2320838, 2724462, 2926274, 3128086}) {
        got.SetByte(k, 62);
        want.SetByte(k, 62);
        want.ScaleSample(k, static_cast<float>(static_cast<long double>(k) / length * gain));
    }
    got.FadeInRange(0, length, gain);
    ExpectSame(Of(got), Of(want), "near a rounding boundary");
}
