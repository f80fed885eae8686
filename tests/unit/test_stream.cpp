// The byte streams under every wave: memory stream semantics, size limits, file errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <unistd.h>

#include "wave/Stream.h"
#include "tests/support/TestWaves.h"

using namespace testwaves;

namespace {

class TempDir {
public:
    TempDir()
    {
        char pattern[] = "/tmp/sonovane-stream-XXXXXX";
        FPath = mkdtemp(pattern);
    }
    ~TempDir() { std::filesystem::remove_all(FPath); }
    std::string File(const std::string& name) const { return (FPath / name).string(); }

private:
    std::filesystem::path FPath;
};

} // namespace

TEST(MemoryStream, ReadWriteSeekAndSize)
{
    TMemoryStream s;
    EXPECT_EQ(s.GetSize(), 0);
    EXPECT_EQ(s.GetPosition(), 0);

    const auto data = Iota(10, 1);
    EXPECT_EQ(s.Write(data.data(), 10), 10);
    EXPECT_EQ(s.GetPosition(), 10);
    EXPECT_EQ(Bytes(s), data);

    // Seek origins 0, 1, 2 and a read that stops at the end.
    EXPECT_EQ(s.Seek(3, soBeginning), 3);
    EXPECT_EQ(s.Seek(2, soCurrent), 5);
    EXPECT_EQ(s.Seek(-4, soEnd), 6);
    uint8_t buf[10] = {};
    EXPECT_EQ(s.Read(buf, 10), 4);
    EXPECT_EQ(buf[0], 7);
    EXPECT_EQ(buf[3], 10);
    EXPECT_EQ(s.GetPosition(), 10);

    // A position beyond the end reads nothing; a write there fills the gap with zeros.
    EXPECT_EQ(s.Seek(14, soBeginning), 14);
    EXPECT_EQ(s.Read(buf, 1), 0);
    const uint8_t x = 0xAB;
    EXPECT_EQ(s.Write(&x, 1), 1);
    ASSERT_EQ(s.GetSize(), 15);
    EXPECT_EQ(s.Memory()[10], 0);
    EXPECT_EQ(s.Memory()[13], 0);
    EXPECT_EQ(s.Memory()[14], 0xAB);

    // Shrinking keeps the first bytes and pulls a position beyond the end back to it.
    s.SetPosition(12);
    s.SetSize(4);
    EXPECT_EQ(s.GetPosition(), 4);
    EXPECT_EQ(Bytes(s), Iota(4, 1));
    // Growing keeps the position and the old bytes.
    s.SetPosition(2);
    s.SetSize(8);
    EXPECT_EQ(s.GetPosition(), 2);
    EXPECT_EQ(s.Size(), 8);
    EXPECT_EQ(s.Memory()[3], 4);

    s.ReleaseBuffer();
    EXPECT_EQ(s.GetSize(), 0);
    EXPECT_EQ(s.GetPosition(), 0);
}

TEST(MemoryStream, WritingItsOwnBytesWhileGrowing)
{
    TMemoryStream s;
    const auto data = Iota(100);
    s.Write(data.data(), 100);
    s.SetPosition(40);
    // The source lies in the buffer that has to grow (and move) to take it.
    EXPECT_EQ(s.Write(s.Memory() + 10, 80), 80);
    auto expected = Iota(40);
    const auto moved = Iota(80, 10);
    expected.insert(expected.end(), moved.begin(), moved.end());
    EXPECT_EQ(Bytes(s), expected);
    // Inside the old size: an overlapping move.
    s.SetPosition(0);
    s.Write(s.Memory() + 1, 5);
    EXPECT_EQ(s.Memory()[0], 1);
    EXPECT_EQ(s.Memory()[4], 5);
}

TEST(MemoryStream, NegativePositionTransfersNothing)
{
    TMemoryStream s;
    s.SetSize(4);
    EXPECT_EQ(s.Seek(-2, soBeginning), -2);
    uint8_t b[4] = {};
    EXPECT_EQ(s.Read(b, 4), 0);
    EXPECT_EQ(s.Write(b, 4), 0);
    EXPECT_EQ(s.GetSize(), 4);
}

TEST(MemoryStream, CopyFromAndLoadFromStream)
{
    TMemoryStream source;
    const auto data = Iota(300);
    source.Write(data.data(), 300);

    // count 0: the whole source from its beginning, wherever its position was.
    TMemoryStream a;
    source.SetPosition(200);
    EXPECT_EQ(a.CopyFrom(source, 0), 300);
    EXPECT_EQ(Bytes(a), data);
    EXPECT_EQ(a.GetPosition(), 300);

    // count n: from the current position, and a short source is an error.
    TMemoryStream b;
    source.SetPosition(100);
    EXPECT_EQ(b.CopyFrom(source, 50), 50);
    EXPECT_EQ(Bytes(b), std::vector<uint8_t>(data.begin() + 100, data.begin() + 150));
    source.SetPosition(290);
    EXPECT_THROW(b.CopyFrom(source, 20), EFileError);

    TMemoryStream c;
    c.SetSize(5000);
    c.SetPosition(17);
    source.SetPosition(123);
    c.LoadFromStream(source);
    EXPECT_EQ(Bytes(c), data);
    EXPECT_EQ(c.GetPosition(), 0);
    EXPECT_EQ(source.GetPosition(), 300);

    TMemoryStream d;
    source.SaveToStream(d);
    EXPECT_EQ(Bytes(d), data);
}

TEST(MemoryStream, ShortTransfersOfBufferCallsRaise)
{
    TMemoryStream s;
    s.SetSize(3);
    uint8_t b[8];
    try {
        s.ReadBuffer(b, 8);
        FAIL() << "no error";
    } catch (const EFileError& e) {
        EXPECT_EQ(e.Message(), "Stream-Lesefehler");
    }
    s.SetPosition(0);
    EXPECT_NO_THROW(s.ReadBuffer(b, 3));
    EXPECT_NO_THROW(s.ReadBuffer(b, 0));
}

TEST(MemoryStream, NeverGrowsBeyondTheLargestWave)
{
    TMemoryStream s;
    const uint8_t b[4] = {1, 2, 3, 4};
    s.Write(b, 4);
    const std::string text = "Wave too large: a wave holds at most 2147483647 bytes.";
    try {
        s.SetSize(TMemoryStream::MaxSize + 1);
        FAIL() << "no error";
    } catch (const EStreamError& e) {
        EXPECT_EQ(e.Message(), text);
    }
    EXPECT_EQ(Bytes(s), std::vector<uint8_t>({1, 2, 3, 4}));

    // A write whose end lies beyond the limit is refused before anything changes.
    s.SetPosition(TMemoryStream::MaxSize - 2);
    try {
        s.Write(b, 4);
        FAIL() << "no error";
    } catch (const EStreamError& e) {
        EXPECT_EQ(e.Message(), text);
    }
    EXPECT_EQ(s.GetSize(), 4);
    EXPECT_THROW(s.SetSize(-1), EStreamError);
    EXPECT_EQ(s.GetSize(), 4);
}

// Exposes the in-place crop the wave streams build on.
class CroppableStream : public TMemoryStream {
public:
    using TMemoryStream::CropInPlace;
    using TMemoryStream::Reserve;
};

// Hands out its bytes but stops short after `limit` of them, or throws there.
class FailingSource : public TStream {
public:
    FailingSource(int64_t size, int64_t limit, bool throws) : FSize(size), FLimit(limit), FThrows(throws) {}
    int64_t Read(void* buffer, int64_t count) override
    {
        if (FThrows)
            throw EFileError("broken source");
        const int64_t n = std::min(count, FLimit - FPosition);
        std::memset(buffer, 0x11, static_cast<size_t>(n));
        FPosition += n;
        return n;
    }
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t offset, int) override { return FPosition = offset; }
    int64_t GetSize() const override { return FSize; }
    void SetSize(int64_t) override {}

private:
    int64_t FSize, FLimit, FPosition = 0;
    bool FThrows;
};

TEST(MemoryStream, BytesLeftInTheBufferNeverReappear)
{
    // Shrinking keeps the old bytes in the buffer; growing again must show zeros,
    // whether by SetSize or by a write after a seek beyond the end.
    TMemoryStream s;
    const std::vector<uint8_t> ff(100, 0xFF);
    s.Write(ff.data(), 100);
    s.SetSize(10);
    s.SetSize(60);
    auto expected = std::vector<uint8_t>(10, 0xFF);
    expected.insert(expected.end(), 50, 0);
    EXPECT_EQ(Bytes(s), expected);
    s.SetSize(10);
    s.SetPosition(50);
    const uint8_t x = 7;
    s.Write(&x, 1);
    ASSERT_EQ(s.GetSize(), 51);
    EXPECT_EQ(std::vector<uint8_t>(s.Memory() + 10, s.Memory() + 50), std::vector<uint8_t>(40, 0));
    EXPECT_EQ(s.Memory()[50], 7);

    // A source that delivers less than its size: the read error, and what was not
    // delivered reads as zeros rather than whatever the buffer held before.
    TMemoryStream t;
    t.Write(ff.data(), 100);
    FailingSource shortSource(80, 30, false);
    try {
        t.LoadFromStream(shortSource);
        FAIL() << "no error";
    } catch (const EFileError& e) {
        EXPECT_EQ(e.Message(), "Stream-Lesefehler");
    }
    ASSERT_EQ(t.GetSize(), 80);
    EXPECT_EQ(std::vector<uint8_t>(t.Memory(), t.Memory() + 30), std::vector<uint8_t>(30, 0x11));
    EXPECT_EQ(std::vector<uint8_t>(t.Memory() + 30, t.Memory() + 80), std::vector<uint8_t>(50, 0));

    // A source that throws: its error comes through and nothing stale is left.
    TMemoryStream u;
    u.Write(ff.data(), 100);
    FailingSource broken(100, 100, true);
    try {
        u.LoadFromStream(broken);
        FAIL() << "no error";
    } catch (const EFileError& e) {
        EXPECT_EQ(e.Message(), "broken source");
    }
    EXPECT_EQ(Bytes(u), std::vector<uint8_t>(100, 0));

    // Larger than the buffer held: a new buffer, all of it read.
    FailingSource whole(5000, 5000, false);
    u.SetPosition(3);
    u.LoadFromStream(whole);
    EXPECT_EQ(Bytes(u), std::vector<uint8_t>(5000, 0x11));
    EXPECT_EQ(u.GetPosition(), 0);
}

TEST(MemoryStream, CroppedInPlace)
{
    const auto data = Iota(200);
    CroppableStream s;
    s.Write(data.data(), 200);
    s.SetPosition(150);
    s.CropInPlace(50, 100);
    EXPECT_EQ(Bytes(s), Iota(100, 50));
    EXPECT_EQ(s.Size(), 100);
    EXPECT_EQ(s.GetPosition(), 100); // beyond the new end: pulled back to it
    EXPECT_EQ(s.Seek(-10, soEnd), 90);
    uint8_t buf[20] = {};
    EXPECT_EQ(s.Read(buf, 20), 10);
    EXPECT_EQ(buf[0], 140);
    EXPECT_EQ(buf[9], 149);

    // Cropped twice, the second relative to the first.
    s.SetPosition(5);
    s.CropInPlace(10, 80);
    EXPECT_EQ(Bytes(s), Iota(80, 60));
    EXPECT_EQ(s.GetPosition(), 5);

    // Growing back over the bytes once cropped off the end shows zeros.
    s.SetSize(120);
    auto expected = Iota(80, 60);
    expected.insert(expected.end(), 40, 0);
    EXPECT_EQ(Bytes(s), expected);
    s.SetSize(80);

    // Writing in place, then growing within the buffer, then far beyond it.
    s.SetPosition(0);
    const uint8_t x = 0xEE;
    s.Write(&x, 1);
    expected = Iota(80, 60);
    expected[0] = 0xEE;
    EXPECT_EQ(Bytes(s), expected);
    s.SetPosition(80);
    const auto more = Iota(30, 100);
    s.Write(more.data(), 30);
    expected.insert(expected.end(), more.begin(), more.end());
    EXPECT_EQ(Bytes(s), expected);
    const std::vector<uint8_t> big(100000, 0x5A);
    s.Write(big.data(), 100000);
    expected.insert(expected.end(), big.begin(), big.end());
    EXPECT_EQ(Bytes(s), expected);
    EXPECT_EQ(s.GetPosition(), 110 + 100000);

    // SetSize far beyond the buffer after a crop: old bytes kept, the rest zero.
    CroppableStream t;
    t.Write(data.data(), 200);
    t.CropInPlace(199, 1);
    t.SetPosition(1);
    t.SetSize(70000);
    ASSERT_EQ(t.GetSize(), 70000);
    EXPECT_EQ(t.Memory()[0], 199);
    EXPECT_EQ(std::count(t.Memory() + 1, t.Memory() + 70000, 0), 69999);
    EXPECT_EQ(t.GetPosition(), 1);

    // Its own bytes written while growing after a crop.
    CroppableStream w;
    w.Write(data.data(), 200);
    w.CropInPlace(100, 100);
    w.SetPosition(60);
    w.Write(w.Memory() + 10, 90);
    expected = Iota(60, 100);
    const auto moved = Iota(90, 110);
    expected.insert(expected.end(), moved.begin(), moved.end());
    EXPECT_EQ(Bytes(w), expected);

    // Reserving keeps the content, and loading, saving and releasing see only the content.
    CroppableStream r;
    r.Write(data.data(), 200);
    r.CropInPlace(20, 30);
    r.Reserve(1 << 20);
    EXPECT_EQ(Bytes(r), Iota(30, 20));
    EXPECT_THROW(r.Reserve(TMemoryStream::MaxSize + 1), EStreamError);
    EXPECT_EQ(Bytes(r), Iota(30, 20));
    TMemoryStream saved;
    r.SaveToStream(saved);
    EXPECT_EQ(Bytes(saved), Iota(30, 20));
    TMemoryStream copy;
    r.SetPosition(7);
    copy.LoadFromStream(r);
    EXPECT_EQ(Bytes(copy), Iota(30, 20));
    EXPECT_EQ(r.GetPosition(), 30);
    r.CropInPlace(10, 5);
    r.LoadFromStream(saved);
    EXPECT_EQ(Bytes(r), Iota(30, 20));
    r.CropInPlace(29, 1);
    r.ReleaseBuffer();
    EXPECT_EQ(r.GetSize(), 0);
    r.SetSize(3);
    EXPECT_EQ(Bytes(r), std::vector<uint8_t>(3, 0));
}

TEST(FileStream, GermanErrorTexts)
{
    EXPECT_EQ(FileOpenErrorText("/x/a.wav"), "Datei /x/a.wav kann nicht ge\xC3\xB6" "ffnet werden");
    EXPECT_EQ(FileCreateErrorText("b.wav"), "Datei b.wav kann nicht erstellt werden");

    try {
        TFileStream f("/nonexistent-folder/a.wav", TFileStream::fmOpenRead);
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Datei /nonexistent-folder/a.wav kann nicht ge\xC3\xB6" "ffnet werden");
    }
    try {
        TFileStream f("/nonexistent-folder/b.wav", TFileStream::fmCreate);
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), "Datei /nonexistent-folder/b.wav kann nicht erstellt werden");
    }
    // A folder is not a file to read.
    EXPECT_THROW(TFileStream("/tmp", TFileStream::fmOpenRead), EFOpenError);

    TMemoryStream s;
    s.SetSize(7);
    EXPECT_THROW(s.LoadFromFile("/nonexistent-folder/c.wav"), EFOpenError);
    EXPECT_EQ(s.GetSize(), 7);
}

TEST(FileStream, WriteReadRoundTripAndTruncation)
{
    TempDir dir;
    const auto name = dir.File("f.bin");
    {
        std::ofstream old(name, std::ios::binary);
        old << std::string(1000, 'x');
    }
    const auto data = Iota(256);
    {
        TFileStream f(name, TFileStream::fmCreate);
        EXPECT_EQ(f.GetSize(), 0); // an existing file is replaced
        f.WriteBuffer(data.data(), 256);
        EXPECT_EQ(f.GetSize(), 256);
        EXPECT_EQ(f.Seek(0, soCurrent), 256);
        f.SetSize(100);
        EXPECT_EQ(f.GetSize(), 100);
        EXPECT_EQ(f.GetPosition(), 100);
        f.Close();
        f.Close(); // closing twice is harmless
    }
    TMemoryStream s;
    s.LoadFromFile(name);
    EXPECT_EQ(Bytes(s), Iota(100));

    TFileStream r(name, TFileStream::fmOpenRead);
    uint8_t b[200];
    r.Seek(-10, soEnd);
    EXPECT_EQ(r.Read(b, 200), 10);
    EXPECT_EQ(b[0], 90);
}

TEST(FileStream, FullDiskIsAWriteError)
{
    if (access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "/dev/full is not available";
    TFileStream f("/dev/full", TFileStream::fmCreate);
    const auto data = Iota(64);
    try {
        f.WriteBuffer(data.data(), 64);
        FAIL() << "no error";
    } catch (const EFileError& e) {
        EXPECT_EQ(e.Message(), "Stream-Schreibfehler");
    }
}

TEST(MemoryStream, BuffersOnEitherSideOfTheHugePageSizeKeepTheirBytes)
{
    // Wave memory changes its kind at LargeBufferBytes: the content must not notice when
    // a stream is loaded at such a size, grows across it, shrinks below it or is cropped.
    const auto pattern = [](size_t n, uint8_t seed) {
        std::vector<uint8_t> bytes(n);
        for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(i * 131 + i / 251 + seed);
        return bytes;
    };
    const int64_t large = static_cast<int64_t>(LargeBufferBytes);
    for (const int64_t size : {large - 1, large, large + 1, 3 * large + 4097}) {
        SCOPED_TRACE(size);
        const auto bytes = pattern(static_cast<size_t>(size), 7);
        TMemoryStream source;
        source.Write(bytes.data(), size);

        // Loaded whole, at exactly its size.
        TMemoryStream s;
        s.Write(bytes.data(), 10);
        s.LoadFromStream(source);
        ASSERT_EQ(s.GetSize(), size);
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), s.Memory()));

        // Grown from a small buffer across the boundary: the bytes kept, the rest zero.
        TMemoryStream g;
        g.Write(bytes.data(), 1000);
        g.SetSize(size);
        ASSERT_EQ(g.GetSize(), size);
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + 1000, g.Memory()));
        EXPECT_EQ(std::count(g.Memory() + 1000, g.Memory() + size, 0), size - 1000);

        // Cropped to its tail, then grown past its buffer: a new one, the tail first.
        CroppableStream c;
        c.Write(bytes.data(), size);
        c.CropInPlace(size - 300, 300);
        c.SetSize(size + large);
        ASSERT_EQ(c.GetSize(), size + large);
        EXPECT_TRUE(std::equal(bytes.end() - 300, bytes.end(), c.Memory()));
        EXPECT_EQ(std::count(c.Memory() + 300, c.Memory() + size + large, 0), size + large - 300);

        // Shrunk below the boundary and grown again: the old bytes never come back.
        s.SetSize(5);
        s.SetSize(size);
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + 5, s.Memory()));
        EXPECT_EQ(std::count(s.Memory() + 5, s.Memory() + size, 0), size - 5);
    }

    // A large buffer starts on a huge-page boundary, or no huge page could hold its start.
    constexpr size_t HugePage = size_t{2} << 20;
    for (const size_t bytes : {LargeBufferBytes, 5 * LargeBufferBytes + 1}) {
        void* memory = AllocateWaveBytes(bytes);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(memory) % HugePage, 0u) << bytes;
        ReleaseWaveBytes(memory, bytes);
    }
}
