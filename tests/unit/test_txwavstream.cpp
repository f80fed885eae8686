// The working-format wave: selection setters, sample views, the store rule and the scans.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "wave/Wavs_ex.h"
#include "tests/support/TestWaves.h"

using namespace testwaves;

namespace {

} // namespace

TEST(TxWavStream, SelectionSetters)
{
    TTxWavStream w;
    EXPECT_EQ(w.SelStart(), 0);
    EXPECT_EQ(w.SelEnd(), 0);
    EXPECT_EQ(w.SelLength(), 0);
    // Empty wave: everything gives 0.
    for (int32_t v : {-5, 0, 1, 700}) {
        w.SetSelStart(v);
        w.SetSelEnd(v);
        EXPECT_EQ(w.SelStart(), 0);
        EXPECT_EQ(w.SelEnd(), 0);
        EXPECT_EQ(w.SelLength(), 0);
    }

    w.SetSize(500);
    struct Case { int32_t value, start, end; };
    for (const Case& c : std::vector<Case>{{std::numeric_limits<int32_t>::min(), 0, 499},
                                           {-1, 0, 499},
                                           {0, 0, 499},
                                           {1, 1, 1},
                                           {250, 250, 250},
                                           {498, 498, 498},
                                           {499, 499, 499},
                                           {500, 0, 499},
                                           {700, 0, 499},
                                           {std::numeric_limits<int32_t>::max(), 0, 499}}) {
        w.SetSelStart(c.value);
        w.SetSelEnd(c.value);
        EXPECT_EQ(w.SelStart(), c.start) << c.value;
        EXPECT_EQ(w.SelEnd(), c.end) << c.value;
    }
    // The setters do not order the two ends.
    w.SetSelStart(300);
    w.SetSelEnd(100);
    EXPECT_EQ(w.SelStart(), 300);
    EXPECT_EQ(w.SelEnd(), 100);
    w.SetSelStart(10);
    w.SetSelEnd(19);
    EXPECT_EQ(w.SelLength(), 10);

    // A size change by the memory stream leaves the fields alone; Clear resets them.
    w.SetSize(5);
    EXPECT_EQ(w.SelStart(), 10);
    EXPECT_EQ(w.SelEnd(), 19);
    w.Clear();
    EXPECT_EQ(w.SelStart(), 0);
    EXPECT_EQ(w.SelEnd(), 0);
}

TEST(TxWavStream, AssignCarriesTheSelection)
{
    TTxWavStream source;
    source.SetSize(1000);
    source.SetSelStart(100);
    source.SetSelEnd(200);
    TTxWavStream copy;
    copy.Assign(source);
    EXPECT_EQ(copy.SelStart(), 100);
    EXPECT_EQ(copy.SelEnd(), 200);

    // A fresh selection 0, 0 becomes the whole wave, the end setter reading 0 as the last sample.
    TTxWavStream fresh;
    fresh.SetSize(300);
    copy.Assign(fresh);
    EXPECT_EQ(copy.SelStart(), 0);
    EXPECT_EQ(copy.SelEnd(), 299);

    // From a plain stream the selection stays as it was.
    TMemoryStream plain;
    plain.SetSize(50);
    copy.SetSelStart(7);
    copy.SetSelEnd(9);
    copy.Assign(plain);
    EXPECT_EQ(copy.SelStart(), 7);
    EXPECT_EQ(copy.SelEnd(), 9);
}

TEST(TxWavStream, SampleViews)
{
    TTxWavStream w;
    Fill(w, {0, 1, 127, 128, 129, 255});
    EXPECT_EQ(w.GetByte(0), 0);
    EXPECT_EQ(w.GetSample(0), -128);
    EXPECT_EQ(w.GetSample(3), 0);
    EXPECT_EQ(w.GetSample(5), 127);
    EXPECT_EQ(w.GetValue(0), -128.0f / 127.0f);
    EXPECT_EQ(w.GetValue(2), -1.0f / 127.0f);
    EXPECT_EQ(w.GetValue(5), 1.0f);
    EXPECT_EQ(w.GetMagnitude(0), 128.0f / 127.0f);
    EXPECT_EQ(w.GetMagnitude(1), 127.0f / 127.0f);
    EXPECT_EQ(w.GetMagnitude(4), 1.0f / 127.0f);

    w.SetSample(1, -128);
    EXPECT_EQ(w.GetByte(1), 0);
    w.SetSample(1, 127);
    EXPECT_EQ(w.GetByte(1), 255);
    w.SetSample(1, 200); // modulo 256
    EXPECT_EQ(w.GetByte(1), (200 + 128) % 256);
    w.SetSample(1, -300);
    EXPECT_EQ(w.GetByte(1), (-300 + 128 + 512) % 256);
    w.SetSample(1, std::numeric_limits<int32_t>::max()); // 0x7FFFFFFF + 128: low byte 0x7F
    EXPECT_EQ(w.GetByte(1), 0x7F);
    w.SetByte(1, 77);
    EXPECT_EQ(w.GetByte(1), 77);

    // Every accessor checks its index and changes nothing on failure.
    const auto before = Bytes(w);
    for (int32_t i : {-1, 6, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()}) {
        EXPECT_EQ(ErrorOf([&] { w.GetByte(i); }), "Index out of range!");
        EXPECT_EQ(ErrorOf([&] { w.SetByte(i, 1); }), "Index out of range!");
        EXPECT_EQ(ErrorOf([&] { w.GetSample(i); }), "Index out of range!");
        EXPECT_EQ(ErrorOf([&] { w.SetSample(i, 1); }), "Index out of range!");
        EXPECT_EQ(ErrorOf([&] { w.GetValue(i); }), "Index out of range!");
        EXPECT_EQ(ErrorOf([&] { w.GetMagnitude(i); }), "Index out of range!");
        EXPECT_EQ(ErrorOf([&] { w.SetValue(i, 0.5f); }), "Index out of range!");
        EXPECT_EQ(ErrorOf([&] { w.ScaleSample(i, 2.0f); }), "Index out of range!");
    }
    EXPECT_EQ(Bytes(w), before);
    TTxWavStream empty;
    EXPECT_EQ(ErrorOf([&] { empty.GetByte(0); }), "Index out of range!");
}

TEST(TxWavStream, StoreRuleClampsAndRoundsTiesToEven)
{
    TTxWavStream w;
    w.SetSize(1);
    struct Case { float x; int expected; };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const Case& c : std::vector<Case>{{0.5f, 192},   // 63.5 -> 64
                                           {-0.5f, 64},   // -63.5 -> -64
                                           {2.0f, 255},
                                           {-3.0f, 1},
                                           {1.0f, 255},
                                           {-1.0f, 1},
                                           {0.0f, 128},
                                           {-0.0f, 128},
                                           {nan, 1},
                                           {inf, 255},
                                           {-inf, 1},
                                           {0.25f, 160},  // 31.75 -> 32
                                           {-0.25f, 96},
                                           {0.4f / 127.0f, 128},
                                           {0.6f / 127.0f, 129}}) {
        w.SetValue(0, c.x);
        EXPECT_EQ(w.GetByte(0), c.expected) << c.x;
    }

    // A byte 0 reads as -128/127; any value store turns it into 1.
    w.SetByte(0, 0);
    EXPECT_EQ(w.GetValue(0), -128.0f / 127.0f);
    w.ScaleSample(0, 1.0f);
    EXPECT_EQ(w.GetByte(0), 1);

    w.SetByte(0, 128 + 50);
    w.ScaleSample(0, 0.5f); // 25
    EXPECT_EQ(w.GetByte(0), 153);
    // +-0.5 are the only values whose product with 127 is a tie: 63.5 -> 64.
    w.SetByte(0, 255);
    w.ScaleSample(0, 0.5f);
    EXPECT_EQ(w.GetByte(0), 192);
    w.SetByte(0, 1);
    w.ScaleSample(0, 0.5f);
    EXPECT_EQ(w.GetByte(0), 64);
    w.SetByte(0, 200);
    w.ScaleSample(0, 10.0f);
    EXPECT_EQ(w.GetByte(0), 255);
}

TEST(TxWavStream, AverageLevel)
{
    TTxWavStream w;
    EXPECT_EQ(w.AverageLevel(0, 10, 100), 0.0f); // empty wave never raises
    EXPECT_EQ(w.AverageLevel(5, 10, 100), 0.0f);

    std::vector<uint8_t> bytes(1000, 128);
    bytes[10] = 128 + 127; // magnitude 1
    bytes[20] = 128 - 64;
    bytes[30] = 0;          // magnitude 128/127
    Fill(w, bytes);
    EXPECT_EQ(w.AverageLevel(0, 50, 0), 0.0f);
    EXPECT_EQ(w.AverageLevel(0, 50, -1), 0.0f);

    // span < count, or span > Size - 1: the sample at pos alone.
    EXPECT_EQ(w.AverageLevel(10, 50, 100), 1.0f);
    EXPECT_EQ(w.AverageLevel(20, 50, 100), 64.0f / 127.0f);
    EXPECT_EQ(w.AverageLevel(20, 1000, 5), 64.0f / 127.0f);
    EXPECT_EQ(w.AverageLevel(30, 5, 10), 1.0f); // clamped to 1
    EXPECT_EQ(ErrorOf([&] { w.AverageLevel(1000, 50, 100); }), "Index out of range!");
    EXPECT_EQ(ErrorOf([&] { w.AverageLevel(-1, 50, 100); }), "Index out of range!");

    // step = 10 div 5 = 2: points 10, 12, 14, 16, 18.
    EXPECT_EQ(w.AverageLevel(10, 10, 5), 1.0f / 5.0f);
    EXPECT_EQ(w.AverageLevel(10, 11, 5), 1.0f / 5.0f);
    // step = 10: points 0, 10, 20, ..., 90.
    EXPECT_EQ(w.AverageLevel(0, 100, 10), (1.0f + 64.0f / 127.0f + 128.0f / 127.0f) / 10.0f);
    // Points beyond the end are skipped and not counted: 990, 1000 (outside).
    bytes.assign(1000, 128);
    bytes[990] = 128 + 127;
    Fill(w, bytes);
    EXPECT_EQ(w.AverageLevel(990, 20, 2), 1.0f);
    // All points outside but pos itself inside cannot happen; a pos before 0 with points inside:
    EXPECT_EQ(w.AverageLevel(-10, 20, 2), 0.0f); // points -10 (skipped), 0
}

TEST(TxWavStream, ColumnPeakPrecisionLevels)
{
    TTxWavStream w;
    EXPECT_EQ(w.ColumnPeak(0, 0, 0), 127); // empty range: M = 0
    EXPECT_EQ(w.ColumnPeak(0, 0, -1), 127);

    Fill(w, std::vector<uint8_t>(40, 128));
    for (int p = -1; p <= 4; ++p)
        EXPECT_EQ(w.ColumnPeak(0, 40, p), 1) << p;
    Fill(w, std::vector<uint8_t>(40, 127));
    for (int p = -1; p <= 4; ++p)
        EXPECT_EQ(w.ColumnPeak(0, 40, p), 0) << p;
    // Only the largest byte counts: all below 127 gives 127 - M.
    std::vector<uint8_t> bytes(40, 0);
    bytes[7] = 200;
    Fill(w, bytes);
    EXPECT_EQ(w.ColumnPeak(0, 40, -1), 73);
    EXPECT_EQ(w.ColumnPeak(0, 40, 0), 73);
    EXPECT_EQ(w.ColumnPeak(8, 32, 0), 127);
    bytes.assign(40, 100);
    bytes[3] = 20;
    Fill(w, bytes);
    EXPECT_EQ(w.ColumnPeak(0, 40, 0), 27);
    EXPECT_EQ(w.ColumnPeak(0, 40, -1), 27);

    // Precision 4 over 20 bytes looks at the offsets 0 and 16 only.
    bytes.assign(40, 128);
    for (int i = 1; i < 20; ++i)
        bytes[i] = 255;
    bytes[16] = 140;
    Fill(w, bytes);
    EXPECT_EQ(w.ColumnPeak(0, 20, 4), 13);
    EXPECT_EQ(w.ColumnPeak(0, 17, 4), 13);
    EXPECT_EQ(w.ColumnPeak(0, 16, 4), 1);
    EXPECT_EQ(w.ColumnPeak(0, 20, 3), 128); // offset 8
    EXPECT_EQ(w.ColumnPeak(0, 1, 3), 1);
    // Each level's grid: offset, offset + 2^p, ...
    bytes.assign(64, 128);
    bytes[1] = 130;
    bytes[2] = 131;
    bytes[4] = 132;
    bytes[8] = 133;
    bytes[16] = 134;
    Fill(w, bytes);
    EXPECT_EQ(w.ColumnPeak(0, 64, 0), 7);
    EXPECT_EQ(w.ColumnPeak(0, 64, 1), 7);
    EXPECT_EQ(w.ColumnPeak(0, 16, 1), 6);
    EXPECT_EQ(w.ColumnPeak(0, 16, 2), 6);
    EXPECT_EQ(w.ColumnPeak(0, 16, 3), 6);
    EXPECT_EQ(w.ColumnPeak(0, 16, 4), 1);
    EXPECT_EQ(w.ColumnPeak(0, 8, 1), 5);
    EXPECT_EQ(w.ColumnPeak(1, 8, 1), 3);

    // A range that strays outside the wave only looks at bytes that exist.
    Fill(w, std::vector<uint8_t>(10, 150));
    EXPECT_EQ(w.ColumnPeak(5, 100, -1), 23);
    EXPECT_EQ(w.ColumnPeak(-4, 6, 0), 23);
    EXPECT_EQ(w.ColumnPeak(10, 5, 0), 127);
    EXPECT_EQ(w.ColumnPeak(-20, 5, 2), 127);
}

TEST(TxWavStream, SnapToCrossing)
{
    TTxWavStream w;
    EXPECT_EQ(w.SnapToCrossing(5, 10, false), 5); // empty wave
    EXPECT_EQ(w.SnapToCrossing(5, 10, true), 5);

    // 0-7: 100, 8: 200, 9: 126, 10-11: 200, 12-18: 100, 19: 126, 20: 127, 21-24: 200,
    // 25-32: 100, 33-39: 200. Rising crossings (earlier < 127, later >= 127) end at 8, 10,
    // 20 (exactly 127 counts as "at or above") and 33.
    std::vector<uint8_t> bytes(40, 200);
    for (int start : {0, 12, 25})
        for (int i = start; i < start + 8; ++i)
            bytes[i] = 100;
    bytes[9] = 126;
    bytes[19] = 126;
    bytes[20] = 127;
    Fill(w, bytes);

    EXPECT_EQ(w.SnapToCrossing(-1, 10, false), -1);
    EXPECT_EQ(w.SnapToCrossing(40, 10, false), 40);
    EXPECT_EQ(w.SnapToCrossing(0, 40, false), 8);
    EXPECT_EQ(w.SnapToCrossing(8, 40, false), 10); // pos itself ends a crossing: the next one
    EXPECT_EQ(w.SnapToCrossing(10, 40, false), 20);
    EXPECT_EQ(w.SnapToCrossing(10, 10, false), 10); // i runs to range - 1 = 9: 19 -> 20 unseen
    EXPECT_EQ(w.SnapToCrossing(10, 11, false), 20);
    EXPECT_EQ(w.SnapToCrossing(10, 0, false), 10);
    EXPECT_EQ(w.SnapToCrossing(10, -5, false), 10);
    // Near the end the range shrinks to Size - pos - 2.
    EXPECT_EQ(w.SnapToCrossing(21, 1000, false), 33);
    EXPECT_EQ(w.SnapToCrossing(31, 1000, false), 33);
    EXPECT_EQ(w.SnapToCrossing(32, 1000, false), 33);
    EXPECT_EQ(w.SnapToCrossing(34, 1000, false), 34);
    EXPECT_EQ(w.SnapToCrossing(38, 1000, false), 38);
    EXPECT_EQ(w.SnapToCrossing(39, 1000, false), 39);

    // Backward: pos itself as the later byte gives pos (k = 1).
    EXPECT_EQ(w.SnapToCrossing(20, 5, true), 20);
    EXPECT_EQ(w.SnapToCrossing(29, 15, true), 20);
    EXPECT_EQ(w.SnapToCrossing(29, 11, true), 20); // k = 10 is the last tried
    EXPECT_EQ(w.SnapToCrossing(29, 10, true), 29);
    EXPECT_EQ(w.SnapToCrossing(5, 100, true), 5); // range becomes pos - 1 = 4
    EXPECT_EQ(w.SnapToCrossing(9, 100, true), 8);
    EXPECT_EQ(w.SnapToCrossing(10, 100, true), 10);
    EXPECT_EQ(w.SnapToCrossing(12, 100, true), 10);
    EXPECT_EQ(w.SnapToCrossing(9, 2, true), 9); // only k = 1 is tried
    EXPECT_EQ(w.SnapToCrossing(9, 3, true), 8);
    EXPECT_EQ(w.SnapToCrossing(39, 100, true), 33);
    EXPECT_EQ(w.SnapToCrossing(2, 100, true), 2);
    EXPECT_EQ(w.SnapToCrossing(1, 100, true), 1);
    EXPECT_EQ(w.SnapToCrossing(0, 100, true), 0);
}

TEST(TxWavStream, LoadFromPluginWave)
{
    TWaveFormatEx format = WorkingFormat();
    format.cbSize = 7;
    std::vector<uint8_t> data(256);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(255 - i);
    // What a plug-in hands back: data, format, selection, size.
    struct Record {
        const uint8_t* Data;
        const TWaveFormatEx* Format;
        int32_t SelStart, SelEnd, Size;
    } record{};
    const auto load = [](TTxWavStream& wave, const Record& r) {
        wave.LoadFromPluginWave(r.Data, r.Format, r.SelStart, r.SelEnd, r.Size);
    };
    record.Data = data.data();
    record.Format = &format;
    record.SelStart = 300; // beyond: 0
    record.SelEnd = 0;     // 0: the last sample
    record.Size = 200;

    TTxWavStream w;
    w.FormatExtra = {1, 2};
    load(w, record);
    EXPECT_EQ(Bytes(w), std::vector<uint8_t>(data.begin(), data.begin() + 200));
    EXPECT_EQ(std::memcmp(&w.Format, &format, 18), 0);
    EXPECT_TRUE(w.FormatExtra.empty());
    EXPECT_EQ(w.SelStart(), 0);
    EXPECT_EQ(w.SelEnd(), 199);

    record.SelStart = 10;
    record.SelEnd = 20;
    record.Size = 30;
    load(w, record);
    EXPECT_EQ(w.Size(), 30);
    EXPECT_EQ(w.SelStart(), 10);
    EXPECT_EQ(w.SelEnd(), 20);

    // A wave loaded from a file refuses; broken records are refused before anything changes.
    TTxWavStream loaded;
    loaded.FileName = "f.wav";
    EXPECT_EQ(ErrorOf([&] { load(loaded, record); }), "Cannot change the format of an existing file");
    EXPECT_EQ(loaded.Size(), 0);
    Record broken = record;
    broken.Data = nullptr;
    EXPECT_EQ(ErrorOf([&] { load(w, broken); }), "Index out of range!");
    broken = record;
    broken.Format = nullptr;
    EXPECT_EQ(ErrorOf([&] { load(w, broken); }), "Index out of range!");
    broken = record;
    broken.Size = -1;
    EXPECT_EQ(ErrorOf([&] { load(w, broken); }), "Index out of range!");
    EXPECT_EQ(w.Size(), 30);
}
