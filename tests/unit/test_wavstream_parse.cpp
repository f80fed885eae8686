// The WAV reader: the chunk walk over images that are well-formed, unusual or broken.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <unistd.h>

#include "wave/Wavs_ex.h"
#include "tests/support/TestWaves.h"

using namespace testwaves;

namespace {

using Image = std::vector<uint8_t>;

void Put32(Image& image, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        image.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutId(Image& image, const char* id)
{
    image.insert(image.end(), id, id + 4);
}

// One chunk: identifier, size field, body; an odd body gets its pad byte unless told not to.
void PutChunk(Image& image, const char* id, const std::vector<uint8_t>& body, bool pad = true)
{
    PutId(image, id);
    Put32(image, static_cast<uint32_t>(body.size()));
    image.insert(image.end(), body.begin(), body.end());
    if (pad && body.size() % 2 == 1)
        image.push_back(0xEE);
}

Image RiffHead(const char* riff = "RIFF", const char* form = "WAVE")
{
    Image image;
    PutId(image, riff);
    Put32(image, 0x12345678); // the size field is never trusted
    PutId(image, form);
    return image;
}

std::vector<uint8_t> FmtBody(size_t size)
{
    std::vector<uint8_t> body(size);
    for (size_t i = 0; i < size; ++i)
        body[i] = static_cast<uint8_t>(0x40 + i);
    return body;
}

std::vector<uint8_t> Samples(size_t n)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(128 + (i * 37) % 100);
    return v;
}

Image SimpleWave(const std::vector<uint8_t>& samples)
{
    Image image = RiffHead();
    PutChunk(image, "fmt ", FmtBody(16));
    PutChunk(image, "data", samples);
    return image;
}

TMemoryStream& AsStream(TMemoryStream& s, const Image& image)
{
    s.SetSize(0);
    s.Write(image.data(), static_cast<int64_t>(image.size()));
    s.SetPosition(0);
    return s;
}

// Loads image into a fresh wave; returns the error text, or "" on success.
std::string Load(TTxWavStream& w, const Image& image)
{
    TMemoryStream source;
    AsStream(source, image);
    try {
        w.LoadFromStream(source);
    } catch (const EWavStreamError& e) {
        return e.Message();
    }
    return "";
}

std::vector<uint8_t> FormatBytes(const TCustomWavStream& w)
{
    const auto* p = reinterpret_cast<const uint8_t*>(&w.Format);
    return {p, p + 18};
}

} // namespace

TEST(WavReader, PlainWave)
{
    TTxWavStream w;
    w.FileName = "old.wav";
    ASSERT_EQ(Load(w, SimpleWave(Samples(1001))), "");
    EXPECT_EQ(Bytes(w), Samples(1001)); // odd data, pad byte present but not part of the samples
    EXPECT_EQ(w.GetPosition(), 0);
    EXPECT_EQ(w.FileName, ""); // LoadFromStream clears it and never sets it
    auto expected = FmtBody(16);
    expected.resize(18, 0);
    EXPECT_EQ(FormatBytes(w), expected);
    EXPECT_TRUE(w.FormatExtra.empty());

    // What the writer wrote, the reader reads back exactly.
    TTxWavStream copy;
    TMemoryStream image;
    w.SaveToStream(image);
    copy.LoadFromStream(image);
    EXPECT_EQ(Bytes(copy), Bytes(w));
    EXPECT_EQ(std::memcmp(&copy.Format, &w.Format, 16), 0);
}

TEST(WavReader, ChunksAroundTheData)
{
    // fmt, an odd LIST chunk with its pad byte, a fact chunk, then data; chunks after data ignored.
    Image image = RiffHead();
    PutChunk(image, "fmt ", FmtBody(16));
    PutChunk(image, "LIST", std::vector<uint8_t>(7, 'L'));
    PutChunk(image, "fact", {1, 0, 0, 0});
    PutChunk(image, "data", Samples(40));
    PutChunk(image, "fmt ", FmtBody(18)); // never looked at
    TTxWavStream w;
    ASSERT_EQ(Load(w, image), "");
    EXPECT_EQ(Bytes(w), Samples(40));
    EXPECT_EQ(FormatBytes(w)[16], 0);

    // A 0-byte chunk is just skipped; a data chunk before the fmt chunk keeps the old format.
    Image early = RiffHead();
    PutChunk(early, "junk", {});
    PutChunk(early, "data", Samples(9));
    TTxWavStream v;
    v.SetFormat(WorkingFormat());
    v.FormatExtra = {3};
    ASSERT_EQ(Load(v, early), "");
    EXPECT_EQ(Bytes(v), Samples(9));
    const TWaveFormatEx working = WorkingFormat();
    EXPECT_EQ(std::memcmp(&v.Format, &working, 18), 0);
    EXPECT_EQ(v.FormatExtra, std::vector<uint8_t>({3}));
}

TEST(WavReader, FmtChunkSizes)
{
    // 50 bytes: the head becomes Format, the 32 bytes after it FormatExtra, the walk goes on.
    Image image = RiffHead();
    PutChunk(image, "fmt ", FmtBody(50));
    PutChunk(image, "data", Samples(10));
    TTxWavStream w;
    ASSERT_EQ(Load(w, image), "");
    EXPECT_EQ(FormatBytes(w), FmtBody(18));
    const auto body = FmtBody(50);
    EXPECT_EQ(w.FormatExtra, std::vector<uint8_t>(body.begin() + 18, body.end()));
    EXPECT_EQ(Bytes(w), Samples(10));

    // More than 111 extra bytes: only 111 kept.
    image = RiffHead();
    PutChunk(image, "fmt ", FmtBody(18 + 200));
    PutChunk(image, "data", Samples(10));
    ASSERT_EQ(Load(w, image), "");
    const auto longBody = FmtBody(218);
    EXPECT_EQ(w.FormatExtra, std::vector<uint8_t>(longBody.begin() + 18, longBody.begin() + 18 + 111));

    // Short and odd fmt chunks: the rest of Format is zero, the pad byte is skipped, no extra.
    image = RiffHead();
    PutChunk(image, "fmt ", FmtBody(13));
    PutChunk(image, "data", Samples(10));
    w.FormatExtra = {1, 2, 3};
    ASSERT_EQ(Load(w, image), "");
    auto expected = FmtBody(13);
    expected.resize(18, 0);
    EXPECT_EQ(FormatBytes(w), expected);
    EXPECT_TRUE(w.FormatExtra.empty());
    EXPECT_EQ(Bytes(w), Samples(10));

    // The last fmt chunk before data wins.
    image = RiffHead();
    PutChunk(image, "fmt ", FmtBody(20));
    PutChunk(image, "fmt ", std::vector<uint8_t>(16, 9));
    PutChunk(image, "data", Samples(2));
    ASSERT_EQ(Load(w, image), "");
    expected = std::vector<uint8_t>(16, 9);
    expected.resize(18, 0);
    EXPECT_EQ(FormatBytes(w), expected);
    EXPECT_TRUE(w.FormatExtra.empty());
}

TEST(WavReader, EmptyDataChunkEmptiesTheWave)
{
    TTxWavStream w;
    w.SetSize(10);
    w.SetSelEnd(5);
    ASSERT_EQ(Load(w, SimpleWave({})), "");
    EXPECT_EQ(w.Size(), 0);
    EXPECT_EQ(w.SelStart(), 0);
    EXPECT_EQ(w.SelEnd(), 0);
}

TEST(WavReader, RefusesWhatIsNotAWave)
{
    const std::string notWav = "Not a valid WAV file.";
    TTxWavStream w;
    const auto samples = Samples(20);

    Image image = RiffHead("RIFX");
    PutChunk(image, "data", samples);
    EXPECT_EQ(Load(w, image), notWav);
    EXPECT_EQ(Bytes(w), image); // the image stays loaded
    image = RiffHead("RIFF", "AVI ");
    PutChunk(image, "data", samples);
    EXPECT_EQ(Load(w, image), notWav);
    image = RiffHead("riff", "WAVE");
    PutChunk(image, "data", samples);
    EXPECT_EQ(Load(w, image), notWav);
    image = RiffHead("RIFF", "wave");
    EXPECT_EQ(Load(w, image), notWav);
    EXPECT_EQ(Load(w, {}), notWav);

    // No data chunk: header bytes never become samples.
    image = RiffHead();
    PutChunk(image, "fmt ", FmtBody(16));
    PutChunk(image, "LIST", samples);
    EXPECT_EQ(Load(w, image), notWav);
    EXPECT_EQ(Bytes(w), image);
    EXPECT_EQ(w.GetPosition(), 0);
    // ... and a bare RIFF head, a head plus a fragment of a chunk header.
    EXPECT_EQ(Load(w, RiffHead()), notWav);
    image = RiffHead();
    PutId(image, "data");
    EXPECT_EQ(Load(w, image), notWav);
}

TEST(WavReader, DataChunkLongerThanTheImage)
{
    Image image = RiffHead();
    PutChunk(image, "fmt ", FmtBody(16));
    PutId(image, "data");
    Put32(image, 5000);
    const auto samples = Samples(3000);
    image.insert(image.end(), samples.begin(), samples.end());
    TTxWavStream w;
    EXPECT_EQ(Load(w, image), "Index out of range!");
    EXPECT_EQ(Bytes(w), image);
    EXPECT_EQ(w.GetPosition(), 0);

    // Exactly as long as what remains is fine.
    image.resize(image.size() - 3000 + 5000, 0x99);
    ASSERT_EQ(Load(w, image), "");
    EXPECT_EQ(w.Size(), 5000);
}

TEST(WavReader, HugeChunkSizesNeverSeekBackwards)
{
    const auto samples = Samples(30);
    // 0xFFFFFFFF and 0x80000000 as the size of an unknown chunk: the skip runs past the end.
    for (uint32_t size : {0xFFFFFFFFu, 0x80000000u, 0xFFFFFFF8u, 0xFFFFFFF4u}) {
        Image image = RiffHead();
        PutChunk(image, "fmt ", FmtBody(16));
        PutId(image, "JUNK");
        Put32(image, size);
        PutChunk(image, "data", samples);
        TTxWavStream w;
        EXPECT_EQ(Load(w, image), "Not a valid WAV file.") << size;
        EXPECT_EQ(Bytes(w), image);
    }
    // ... as the fmt chunk's size: Format gets what is there, then the walk ends.
    {
        Image image = RiffHead();
        PutId(image, "fmt ");
        Put32(image, 0xFFFFFFFFu);
        const auto body = FmtBody(16);
        image.insert(image.end(), body.begin(), body.end());
        PutChunk(image, "data", samples);
        TTxWavStream w;
        EXPECT_EQ(Load(w, image), "Not a valid WAV file.");
        // The 18 bytes that follow the header (the body and two bytes of "data"), then
        // everything up to the end as extra: never more than the image holds.
        auto expected = FmtBody(16);
        expected.push_back('d');
        expected.push_back('a');
        EXPECT_EQ(FormatBytes(w), expected);
        EXPECT_EQ(w.FormatExtra.size(), 2u + 4u + 30u);
    }
    // ... as the data chunk's size: more than remains.
    for (uint32_t size : {0xFFFFFFFFu, 0x80000000u}) {
        Image image = RiffHead();
        PutChunk(image, "fmt ", FmtBody(16));
        PutId(image, "data");
        Put32(image, size);
        image.insert(image.end(), samples.begin(), samples.end());
        TTxWavStream w;
        EXPECT_EQ(Load(w, image), "Index out of range!") << size;
    }
}

TEST(WavReader, OddChunkAtTheEnd)
{
    // An odd chunk whose pad byte is missing, after the data, does not matter...
    Image image = RiffHead();
    PutChunk(image, "fmt ", FmtBody(16));
    PutChunk(image, "data", Samples(11), false);
    TTxWavStream w;
    ASSERT_EQ(Load(w, image), "");
    EXPECT_EQ(Bytes(w), Samples(11));
    // ... before it, the pad is taken from the next header and the data chunk is lost.
    image = RiffHead();
    PutChunk(image, "fmt ", FmtBody(16));
    PutChunk(image, "LIST", {1, 2, 3}, false);
    EXPECT_EQ(Load(w, image), "Not a valid WAV file.");
}

TEST(WavReader, EveryTruncationIsRefusedOrReadsOnlyWhatIsThere)
{
    Image image = RiffHead();
    PutChunk(image, "fmt ", FmtBody(18 + 5));
    PutChunk(image, "LIST", std::vector<uint8_t>(9, 'x'));
    PutChunk(image, "data", Samples(25));
    const size_t dataHeader = image.size() - 25 - 1 - 8;
    for (size_t cut = 0; cut < image.size(); ++cut) {
        const Image part(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(cut));
        TTxWavStream w;
        const std::string error = Load(w, part);
        if (cut < dataHeader + 8) {
            EXPECT_EQ(error, "Not a valid WAV file.") << cut;
            EXPECT_EQ(Bytes(w), part) << cut;
        } else if (cut < dataHeader + 8 + 25) {
            EXPECT_EQ(error, "Index out of range!") << cut;
            EXPECT_EQ(Bytes(w), part) << cut;
        } else {
            EXPECT_EQ(error, "") << cut;
            EXPECT_EQ(Bytes(w), Samples(25)) << cut;
        }
    }
}

TEST(WavReader, LoadFromFile)
{
    char pattern[] = "/tmp/sonovane-read-XXXXXX";
    const std::filesystem::path dir = mkdtemp(pattern);
    const auto good = (dir / "good.wav").string();
    const auto bad = (dir / "bad.wav").string();
    const auto write = [](const std::string& name, const Image& image) {
        std::ofstream f(name, std::ios::binary);
        f.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    };
    write(good, SimpleWave(Samples(77)));
    Image badImage = RiffHead("RIFX");
    write(bad, badImage);

    TTxWavStream w;
    w.LoadFromFile(good);
    EXPECT_EQ(Bytes(w), Samples(77));
    EXPECT_EQ(w.FileName, good);
    // Loaded from a file: the format is fixed until the stream is emptied or reassigned.
    EXPECT_THROW(w.SetFormat(WorkingFormat()), EWavStreamError);
    TTxWavStream other;
    other.SetSize(3);
    w.Assign(other);
    EXPECT_EQ(w.FileName, "");
    EXPECT_NO_THROW(w.SetFormat(WorkingFormat()));

    TTxWavStream v;
    try {
        v.LoadFromFile(bad);
        FAIL() << "no error";
    } catch (const EWavStreamError& e) {
        EXPECT_EQ(e.Message(), "Not a valid WAV file.");
    }
    EXPECT_EQ(v.FileName, "");
    EXPECT_EQ(Bytes(v), badImage);

    TTxWavStream missing;
    missing.SetSize(4);
    const auto none = (dir / "none.wav").string();
    try {
        missing.LoadFromFile(none);
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Datei " + none + " kann nicht ge\xC3\xB6" "ffnet werden");
    }
    EXPECT_EQ(missing.Size(), 4);
    EXPECT_EQ(missing.FileName, "");
    std::filesystem::remove_all(dir);
}
