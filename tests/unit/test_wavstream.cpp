// The wave stream base: the WAV writer, byte-range operations, format record rules.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <numeric>
#include <unistd.h>

#include "wave/Wavs_ex.h"
#include "tests/support/TestWaves.h"

using namespace testwaves;

namespace {

uint32_t LE32(const uint8_t* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

TWaveFormatEx StereoFormat()
{
    TWaveFormatEx f{};
    f.wFormatTag = 1;
    f.nChannels = 2;
    f.nSamplesPerSec = 44100;
    f.nAvgBytesPerSec = 176400;
    f.nBlockAlign = 4;
    f.wBitsPerSample = 16;
    f.cbSize = 0x5A5A;
    return f;
}

// The exact 44-byte header the writer must produce for count data bytes.
std::vector<uint8_t> ExpectedHeader(const TWaveFormatEx& f, uint32_t count)
{
    std::vector<uint8_t> h(44);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            h[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    std::memcpy(h.data(), "RIFF", 4);
    put32(4, 36 + count);
    std::memcpy(h.data() + 8, "WAVEfmt ", 8);
    put32(16, 16);
    std::memcpy(h.data() + 20, &f, 16);
    std::memcpy(h.data() + 36, "data", 4);
    put32(40, count);
    return h;
}

const TWaveFormatEx stereoRecord = StereoFormat();
const TWaveFormatEx workingRecord = WorkingFormat();

} // namespace

TEST(WavStream, WorkingFormatRecord)
{
    const TWaveFormatEx f = WorkingFormat();
    const uint8_t expected[18] = {1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x22, 0x56, 0, 0, 1, 0, 8, 0, 129, 0};
    EXPECT_EQ(std::memcmp(&f, expected, 18), 0);
}

TEST(WavStream, FreshStreamIsEmpty)
{
    TTxWavStream w;
    EXPECT_EQ(w.Size(), 0);
    EXPECT_EQ(w.FileName, "");
    const TWaveFormatEx zero{};
    EXPECT_EQ(std::memcmp(&w.Format, &zero, 18), 0);
    EXPECT_TRUE(w.FormatExtra.empty());
}

TEST(WavStream, WriterProducesExactImages)
{
    TTxWavStream w;
    w.SetFormat(WorkingFormat());
    TMemoryStream dest;

    // Empty wave: 44 bytes, RIFF size 36, data size 0.
    w.SaveToStream(dest);
    EXPECT_EQ(Bytes(dest), ExpectedHeader(WorkingFormat(), 0));
    EXPECT_EQ(dest.GetPosition(), 0);

    // 1001 samples: 1045 bytes, RIFF size 1037, no pad byte; the extra size is never written.
    std::vector<uint8_t> samples(1001);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<uint8_t>(i * 7 + 3);
    Fill(w, samples);
    w.SetPosition(333);
    dest.SetSize(5000); // old content of the destination is dropped
    w.SaveToStream(dest);
    ASSERT_EQ(dest.GetSize(), 1045);
    auto expected = ExpectedHeader(WorkingFormat(), 1001);
    expected.insert(expected.end(), samples.begin(), samples.end());
    EXPECT_EQ(Bytes(dest), expected);
    EXPECT_EQ(LE32(dest.Memory() + 4), 1037u);
    EXPECT_EQ(dest.GetPosition(), 0);
    EXPECT_EQ(w.GetPosition(), 333); // the stream's own position is kept
}

TEST(WavStream, SaveRangeToStreamBoundaries)
{
    TTxWavStream w;
    w.SetFormat(StereoFormat());
    const auto bytes = [] {
        std::vector<uint8_t> v(1000);
        for (size_t i = 0; i < v.size(); ++i)
            v[i] = static_cast<uint8_t>(i % 251);
        return v;
    }();
    Fill(w, bytes);
    TMemoryStream dest;

    // count 0: to the last byte.
    w.SaveRangeToStream(dest, 100, 0);
    auto expected = ExpectedHeader(StereoFormat(), 900);
    expected.insert(expected.end(), bytes.begin() + 100, bytes.end());
    EXPECT_EQ(Bytes(dest), expected);

    // A negative count also means to the end; an exact range ending at the last byte is fine.
    w.SaveRangeToStream(dest, 100, -5);
    EXPECT_EQ(Bytes(dest), expected);
    w.SaveRangeToStream(dest, 990, 10);
    EXPECT_EQ(dest.GetSize(), 54);
    EXPECT_EQ(dest.Memory()[44], bytes[990]);
    w.SaveRangeToStream(dest, 1000, 0); // nothing left: an empty image
    EXPECT_EQ(Bytes(dest), ExpectedHeader(StereoFormat(), 0));

    // Bad ranges raise before the destination is touched.
    Fill(dest, {9, 8, 7});
    dest.SetPosition(2);
    for (auto [start, count] : std::vector<std::pair<int32_t, int32_t>>{
             {900, 200}, {-1, 10}, {1001, 0}, {0, 1001}, {999, 2}, {2147483647, 1}}) {
        EXPECT_EQ(ErrorOf([&] { w.SaveRangeToStream(dest, start, count); }), "Index out of range!")
            << start << "," << count;
        EXPECT_EQ(Bytes(dest), std::vector<uint8_t>({9, 8, 7}));
        EXPECT_EQ(dest.GetPosition(), 2);
    }
    // Writing a wave's image into the wave itself would destroy it.
    EXPECT_EQ(ErrorOf([&] { w.SaveRangeToStream(w, 0, 0); }), "Cannot copy to itself!");
    EXPECT_EQ(Bytes(w), bytes);
}

TEST(WavStream, MoveRangeChecksAndOverlap)
{
    TTxWavStream w;
    Fill(w, Iota(20));
    w.MoveRange(0, 10, 5); // overlapping forward
    EXPECT_EQ(Bytes(w), std::vector<uint8_t>({0, 1, 2, 3, 4, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 15, 16, 17, 18, 19}));
    Fill(w, Iota(20));
    w.MoveRange(5, 10, 0); // overlapping backward
    EXPECT_EQ(Bytes(w), std::vector<uint8_t>({5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}));

    Fill(w, Iota(20));
    w.MoveRange(0, 20, 0);
    w.MoveRange(20, 0, 20);
    w.MoveRange(0, 0, 20);
    EXPECT_EQ(Bytes(w), Iota(20));
    for (auto [s, c, d] : std::vector<std::tuple<int32_t, int32_t, int32_t>>{
             {-1, 1, 0}, {0, -1, 0}, {0, 1, -1}, {10, 11, 0}, {0, 11, 10}, {21, 0, 0}, {0, 0, 21},
             {2147483647, 2147483647, 0}}) {
        EXPECT_EQ(ErrorOf([&] { w.MoveRange(s, c, d); }), "Index out of range!");
        EXPECT_EQ(Bytes(w), Iota(20));
    }
}

TEST(WavStream, DeleteRangeAndCropTo)
{
    TTxWavStream w;
    Fill(w, Iota(20));
    w.DeleteRange(10, 5);
    EXPECT_EQ(Bytes(w), std::vector<uint8_t>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 15, 16, 17, 18, 19}));

    w.DeleteRange(0, 15);
    EXPECT_EQ(w.Size(), 0);

    Fill(w, Iota(20));
    w.DeleteRange(15, 5); // the end
    EXPECT_EQ(Bytes(w), Iota(15));
    w.DeleteRange(3, 0);
    EXPECT_EQ(Bytes(w), Iota(15));
    for (auto [s, c] : std::vector<std::pair<int32_t, int32_t>>{
             {10, 6}, {-1, 2}, {5, -1}, {16, 0}, {2147483647, 2147483647}}) {
        EXPECT_EQ(ErrorOf([&] { w.DeleteRange(s, c); }), "Index out of range!");
        EXPECT_EQ(Bytes(w), Iota(15));
    }

    Fill(w, Iota(20));
    w.FileName = "x.wav";
    w.CropTo(4, 3);
    EXPECT_EQ(Bytes(w), std::vector<uint8_t>({4, 5, 6}));
    EXPECT_EQ(w.FileName, "x.wav");
    EXPECT_EQ(ErrorOf([&] { w.CropTo(1, 3); }), "Index out of range!");
    EXPECT_EQ(ErrorOf([&] { w.CropTo(-1, 2); }), "Index out of range!");
    EXPECT_EQ(Bytes(w), std::vector<uint8_t>({4, 5, 6}));
    w.CropTo(2, 0); // count <= 0 clears, FileName included
    EXPECT_EQ(w.Size(), 0);
    EXPECT_EQ(w.FileName, "");
}

TEST(WavStream, FormatRules)
{
    const TWaveFormatEx stereo = StereoFormat();
    const TWaveFormatEx working = WorkingFormat();
    TTxWavStream w;
    w.SetFormat(stereo);
    EXPECT_EQ(std::memcmp(&w.Format, &stereo, 18), 0);

    TWaveFormatEx other = StereoFormat();
    other.wFormatTag = 3;
    other.nAvgBytesPerSec = 1;
    other.cbSize = 22;
    EXPECT_TRUE(w.IsSameFormat(other));
    for (int field = 0; field < 4; ++field) {
        TWaveFormatEx f = StereoFormat();
        if (field == 0) f.nChannels = 1;
        if (field == 1) f.nSamplesPerSec = 22050;
        if (field == 2) f.nBlockAlign = 2;
        if (field == 3) f.wBitsPerSample = 8;
        EXPECT_FALSE(w.IsSameFormat(f)) << field;
    }

    w.FileName = "loaded.wav";
    w.FormatExtra = {1, 2};
    EXPECT_EQ(ErrorOf([&] { w.SetFormat(WorkingFormat()); }), "Cannot change the format of an existing file");
    EXPECT_EQ(std::memcmp(&w.Format, &stereo, 18), 0);
    EXPECT_EQ(w.FormatExtra, std::vector<uint8_t>({1, 2}));
    w.Clear();
    EXPECT_EQ(std::memcmp(&w.Format, &stereo, 18), 0); // Clear keeps the format
    w.SetFormat(working);
    EXPECT_EQ(std::memcmp(&w.Format, &working, 18), 0);
    EXPECT_TRUE(w.FormatExtra.empty());
}

TEST(WavStream, AssignCopiesBytesFormatAndExtra)
{
    TTxWavStream source;
    source.SetFormat(StereoFormat());
    source.FormatExtra = {7, 7, 7};
    Fill(source, Iota(50));
    source.SetPosition(10);

    TTxWavStream w;
    w.SetFormat(WorkingFormat());
    w.FileName = "a.wav";
    w.Assign(source);
    EXPECT_EQ(Bytes(w), Iota(50));
    EXPECT_EQ(w.GetPosition(), 0);
    EXPECT_EQ(w.FileName, "");
    EXPECT_EQ(std::memcmp(&w.Format, &stereoRecord, 18), 0);
    EXPECT_EQ(w.FormatExtra, std::vector<uint8_t>({7, 7, 7}));
    EXPECT_EQ(source.GetPosition(), 50);

    // A plain stream gives only its bytes.
    TMemoryStream plain;
    Fill(plain, {1, 2, 3});
    TTxWavStream v;
    v.SetFormat(WorkingFormat());
    v.FormatExtra = {4};
    v.FileName = "b.wav";
    v.Assign(plain);
    EXPECT_EQ(Bytes(v), std::vector<uint8_t>({1, 2, 3}));
    EXPECT_EQ(std::memcmp(&v.Format, &workingRecord, 18), 0);
    EXPECT_EQ(v.FormatExtra, std::vector<uint8_t>({4}));
    EXPECT_EQ(v.FileName, "");

    // AssignWave takes format and extra from any wave stream; assigning to itself keeps all.
    TTxWavStream x;
    x.FileName = "c.wav";
    x.AssignWave(source);
    EXPECT_EQ(Bytes(x), Iota(50));
    EXPECT_EQ(std::memcmp(&x.Format, &stereoRecord, 18), 0);
    EXPECT_EQ(x.FormatExtra, std::vector<uint8_t>({7, 7, 7}));
    EXPECT_EQ(x.FileName, "");
    x.Assign(x);
    EXPECT_EQ(Bytes(x), Iota(50));
}

TEST(WavStream, PrependAndAppend)
{
    TTxWavStream big, small;
    big.SetFormat(WorkingFormat());
    big.FormatExtra = {1};
    small.SetFormat(StereoFormat());
    small.FormatExtra = {2, 2};
    std::vector<uint8_t> a(1000, 0xAA), b(300);
    for (size_t i = 0; i < b.size(); ++i)
        b[i] = static_cast<uint8_t>(i);
    Fill(big, a);
    Fill(small, b);
    small.SetSelStart(20);
    small.SetSelEnd(30);

    TTxWavStream p;
    p.Assign(big);
    p.FileName = "p.wav";
    p.Prepend(small);
    ASSERT_EQ(p.Size(), 1300);
    EXPECT_EQ(std::vector<uint8_t>(p.Memory(), p.Memory() + 300), b);
    EXPECT_EQ(std::vector<uint8_t>(p.Memory() + 300, p.Memory() + 1300), a);
    EXPECT_EQ(std::memcmp(&p.Format, &workingRecord, 18), 0);
    EXPECT_EQ(p.FormatExtra, std::vector<uint8_t>({1}));
    EXPECT_EQ(p.FileName, ""); // Assign ran
    EXPECT_EQ(p.SelStart(), 20); // ... the virtual one: the source's selection came along
    EXPECT_EQ(p.SelEnd(), 30);

    TTxWavStream q;
    q.Assign(big);
    q.SetSelStart(5);
    q.SetSelEnd(6);
    q.Append(small);
    ASSERT_EQ(q.Size(), 1300);
    EXPECT_EQ(std::vector<uint8_t>(q.Memory(), q.Memory() + 1000), a);
    EXPECT_EQ(std::vector<uint8_t>(q.Memory() + 1000, q.Memory() + 1300), b);
    EXPECT_EQ(q.GetPosition(), 1300);
    EXPECT_EQ(std::memcmp(&q.Format, &workingRecord, 18), 0);
    EXPECT_EQ(q.SelStart(), 5);
    EXPECT_EQ(q.SelEnd(), 6);

    EXPECT_EQ(ErrorOf([&] { q.Prepend(q); }), "Cannot copy to itself!");
    EXPECT_EQ(ErrorOf([&] { q.Append(q); }), "Cannot copy to itself!");
    EXPECT_EQ(q.Size(), 1300);

    // Onto an empty wave, and an empty source.
    TTxWavStream e;
    e.Append(small);
    EXPECT_EQ(Bytes(e), b);
    TTxWavStream none;
    e.Prepend(none);
    EXPECT_EQ(Bytes(e), b);
}

TEST(WavStream, MixIntoAveragesAllButTheLastRemainingByte)
{
    TTxWavStream w;
    Fill(w, {10, 20, 30, 40, 50});
    w.SetPosition(1);
    uint8_t buf[10] = {0, 1, 255, 7, 9, 9, 9, 9, 9, 9};
    w.MixInto(buf, 10); // 5 - 1 - 1 = 3 bytes
    EXPECT_EQ(buf[0], 10);
    EXPECT_EQ(buf[1], 15);
    EXPECT_EQ(buf[2], 147);
    EXPECT_EQ(buf[3], 7);
    EXPECT_EQ(w.GetPosition(), 4);
    w.MixInto(buf, 10); // only the last byte left: nothing
    EXPECT_EQ(w.GetPosition(), 4);
    w.SetPosition(0);
    w.MixInto(buf, 2);
    EXPECT_EQ(buf[0], 10);
    EXPECT_EQ(buf[1], 17);
    EXPECT_EQ(w.GetPosition(), 2);
    w.SetPosition(100);
    w.MixInto(buf, 2);
    EXPECT_EQ(w.GetPosition(), 100);
}

TEST(WavStream, SaveToFileRoundTripAndFailures)
{
    char pattern[] = "/tmp/sonovane-wav-XXXXXX";
    const std::filesystem::path dir = mkdtemp(pattern);
    const auto name = (dir / "out.wav").string();

    TTxWavStream w;
    w.SetFormat(WorkingFormat());
    Fill(w, Iota(201, 5));
    w.FileName = "";
    w.SaveToFile(name);
    EXPECT_EQ(w.FileName, "");
    EXPECT_EQ(std::filesystem::file_size(name), 245u);

    TTxWavStream r;
    r.LoadFromFile(name);
    EXPECT_EQ(Bytes(r), Iota(201, 5));
    EXPECT_EQ(r.FileName, name);
    TWaveFormatEx expected = WorkingFormat();
    expected.cbSize = 0; // a 16-byte fmt chunk carries no extra size
    EXPECT_EQ(std::memcmp(&r.Format, &expected, 18), 0);

    try {
        w.SaveToFile((dir / "missing" / "x.wav").string());
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), "Datei " + (dir / "missing" / "x.wav").string() + " kann nicht erstellt werden");
    }
    if (access("/dev/full", W_OK) == 0) {
        try {
            w.SaveToFile("/dev/full");
            FAIL() << "a full disk was reported as success";
        } catch (const EFileError& e) {
            // Which file, and the system's reason.
            EXPECT_EQ(e.Message(), "Could not write \"/dev/full\": No space left on device.");
        }
    }
    std::filesystem::remove_all(dir);
}

// CropTo keeps the bytes where they are; every operation afterwards must see only the
// cropped content, and growing again must never bring the cut-off bytes back.
TEST(WavStream, EverythingAfterACropSeesOnlyTheKeptBytes)
{
    const auto data = Iota(200);
    TTxWavStream w;
    Fill(w, data);
    w.SetPosition(180);
    w.CropTo(50, 100);
    EXPECT_EQ(Bytes(w), Iota(100, 50));
    EXPECT_EQ(w.GetPosition(), 100);
    EXPECT_EQ(w.GetByte(0), 50);
    EXPECT_EQ(w.GetByte(99), 149);
    EXPECT_EQ(ErrorOf([&] { w.GetByte(100); }), "Index out of range!");
    w.SetByte(1, 0xEE);
    EXPECT_EQ(w.Memory()[1], 0xEE);
    w.SetByte(1, 51);

    // Cropped again, then regrown: the cut-off tail reads as zeros.
    w.CropTo(10, 20);
    EXPECT_EQ(Bytes(w), Iota(20, 60));
    w.SetSize(50);
    auto expected = Iota(20, 60);
    expected.insert(expected.end(), 30, 0);
    EXPECT_EQ(Bytes(w), expected);
    w.SetSize(20);

    w.DeleteRange(5, 10);
    expected = Iota(5, 60);
    const auto rest = Iota(5, 75);
    expected.insert(expected.end(), rest.begin(), rest.end());
    EXPECT_EQ(Bytes(w), expected);
    w.MoveRange(5, 5, 0);
    EXPECT_EQ(Bytes(w), std::vector<uint8_t>({75, 76, 77, 78, 79, 75, 76, 77, 78, 79}));

    // Append, Prepend and the writer.
    TTxWavStream tail;
    Fill(tail, Iota(3, 200));
    w.Append(tail);
    EXPECT_EQ(Bytes(w), std::vector<uint8_t>({75, 76, 77, 78, 79, 75, 76, 77, 78, 79, 200, 201, 202}));
    w.CropTo(8, 5);
    w.Prepend(tail);
    EXPECT_EQ(Bytes(w), std::vector<uint8_t>({200, 201, 202, 78, 79, 200, 201, 202}));
    TMemoryStream image;
    w.SaveRangeToStream(image, 3, 2);
    ASSERT_EQ(image.GetSize(), 46);
    EXPECT_EQ(image.Memory()[44], 78);
    EXPECT_EQ(image.Memory()[45], 79);

    // Assign and AssignWave from a cropped wave copy just its content; a cropped wave
    // loads another's bytes whole.
    TTxWavStream cropped;
    Fill(cropped, data);
    cropped.SetSelStart(2);
    cropped.SetSelEnd(4);
    cropped.CropTo(190, 10);
    TTxWavStream a, b;
    a.Assign(cropped);
    EXPECT_EQ(Bytes(a), Iota(10, 190));
    b.AssignWave(cropped);
    EXPECT_EQ(Bytes(b), Iota(10, 190));
    cropped.Assign(w);
    EXPECT_EQ(Bytes(cropped), Bytes(w));

    // MixInto reads from the content's own start.
    TTxWavStream m;
    Fill(m, data);
    m.CropTo(100, 4);
    uint8_t mix[4] = {0, 0, 0, 0};
    m.MixInto(mix, 4);
    EXPECT_EQ(std::vector<uint8_t>(mix, mix + 4), std::vector<uint8_t>({50, 50, 51, 0}));
}

// The peak scan reads whole 16-byte blocks; a crop may leave the content at any address.
TEST(WavStream, PeakAndCrossingsAtEveryStartAddress)
{
    std::vector<uint8_t> sound(3000);
    for (size_t i = 0; i < sound.size(); ++i)
        sound[i] = static_cast<uint8_t>(127 + std::lrint(100.0 * std::sin(0.05 * double(i)) * (i % 7) / 7.0));
    for (int32_t start = 0; start < 17; ++start) {
        TTxWavStream cropped, plain;
        std::vector<uint8_t> withFront(size_t(start), 255); // would be the peak if read
        withFront.insert(withFront.end(), sound.begin(), sound.end());
        Fill(cropped, withFront);
        cropped.CropTo(start, 3000);
        Fill(plain, sound);
        for (int32_t precision : {-1, 0, 1, 3}) {
            EXPECT_EQ(cropped.ColumnPeak(0, 3000, precision), plain.ColumnPeak(0, 3000, precision))
                << "start " << start << ", precision " << precision;
            EXPECT_EQ(cropped.ColumnPeak(5, 1500, precision), plain.ColumnPeak(5, 1500, precision));
        }
        EXPECT_EQ(cropped.SnapToCrossing(40, 200, false), plain.SnapToCrossing(40, 200, false));
        EXPECT_EQ(cropped.SnapToCrossing(900, 200, true), plain.SnapToCrossing(900, 200, true));
    }
}
