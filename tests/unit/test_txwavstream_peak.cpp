// The vectorised column peak must give exactly the plain scan's answer at every length,
// every alignment and every content, the early stop at 255 included.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>

#include "wave/Wavs_ex.h"

namespace {

// The largest byte, the obvious way (no early stop), as the reference.
uint8_t Reference(const uint8_t* p, int32_t n)
{
    uint8_t m = 0;
    for (int32_t i = 0; i < n; ++i)
        m = std::max(m, p[i]);
    return m;
}

uint8_t ReferenceStrided(const uint8_t* p, int32_t n, int32_t step)
{
    uint8_t m = 0;
    for (int32_t i = 0; i < n; i += step)
        m = std::max(m, p[i]);
    return m;
}

int32_t PeakOf(uint8_t m)
{
    return m >= 127 ? m - 127 : 127 - m;
}

struct AlignedBuffer {
    explicit AlignedBuffer(size_t n) : data(static_cast<uint8_t*>(std::aligned_alloc(64, (n + 63) / 64 * 64 + 64))) {}
    ~AlignedBuffer() { std::free(data); }
    uint8_t* data;
};

enum class Content { Random, Below127, Sound, With255, All255, Zero };

void Generate(std::mt19937& rng, uint8_t* p, size_t n, Content content)
{
    std::uniform_int_distribution<int> any(0, 255), low(0, 126), noise(-20, 20), where(0, 1 << 30);
    double phase = any(rng) * 0.1;
    for (size_t i = 0; i < n; ++i) {
        switch (content) {
        case Content::Random: p[i] = static_cast<uint8_t>(any(rng) % 255); break; // never 255
        case Content::Below127: p[i] = static_cast<uint8_t>(low(rng)); break;
        case Content::Sound:
            p[i] = static_cast<uint8_t>(128 + 90 * std::sin(phase + static_cast<double>(i) * 0.05) + noise(rng));
            break;
        case Content::With255: p[i] = static_cast<uint8_t>(any(rng) % 200); break;
        case Content::All255: p[i] = 255; break;
        case Content::Zero: p[i] = 0; break;
        }
    }
    if (content == Content::With255 && n > 0)
        p[static_cast<size_t>(where(rng)) % n] = 255;
}

} // namespace

TEST(ColumnPeak, BlockMethodEqualsPlainScanOnSmallBuffers)
{
    std::mt19937 rng(12345);
    AlignedBuffer buffer(256);
    for (Content content : {Content::Random, Content::Below127, Content::Sound, Content::With255,
                            Content::All255, Content::Zero}) {
        for (int repeat = 0; repeat < 4; ++repeat) {
            Generate(rng, buffer.data, 128, content);
            for (int32_t offset = 0; offset < 16; ++offset) {
                for (int32_t length = 0; length <= 100; ++length) {
                    const uint8_t* p = buffer.data + offset;
                    const uint8_t expected = Reference(p, length);
                    ASSERT_EQ(MaxBytePlain(p, length), expected) << offset << " " << length;
                    ASSERT_EQ(MaxByteBlock(p, length), expected) << offset << " " << length;
                }
            }
        }
    }
}

TEST(ColumnPeak, PrecisionMinusOneEqualsPrecisionZeroOnWaves)
{
    std::mt19937 rng(777);
    TTxWavStream w;
    w.SetSize(4096 + 16);
    // The wave's own buffer: its offsets 0-15 cover every alignment the block method meets.
    for (Content content : {Content::Random, Content::Below127, Content::Sound, Content::With255}) {
        Generate(rng, w.Memory(), 4096 + 16, content);
        for (int32_t offset = 0; offset < 16; ++offset) {
            for (int32_t length = 0; length <= 100; ++length) {
                const int32_t expected = PeakOf(Reference(w.Memory() + offset, length));
                ASSERT_EQ(w.ColumnPeak(offset, length, 0), expected) << offset << " " << length;
                ASSERT_EQ(w.ColumnPeak(offset, length, -1), expected) << offset << " " << length;
            }
            const int32_t expected = PeakOf(Reference(w.Memory() + offset, 4096));
            ASSERT_EQ(w.ColumnPeak(offset, 4096, -1), expected);
            ASSERT_EQ(w.ColumnPeak(offset, 4096, 0), expected);
        }
    }
}

TEST(ColumnPeak, BlockMethodEqualsPlainScanOnLargeBuffers)
{
    std::mt19937 rng(99);
    const size_t size = size_t{3} << 20;
    AlignedBuffer buffer(size + 16);
    for (Content content : {Content::Random, Content::Below127, Content::Sound, Content::With255}) {
        Generate(rng, buffer.data, size + 16, content);
        for (int32_t offset : {0, 1, 7, 8, 15}) {
            const uint8_t* p = buffer.data + offset;
            const auto n = static_cast<int32_t>(size - static_cast<size_t>(offset) * 3);
            const uint8_t expected = Reference(p, n);
            EXPECT_EQ(MaxByteBlock(p, n), expected) << offset;
            EXPECT_EQ(MaxBytePlain(p, n), expected) << offset;
        }
    }
    // A single largest byte at every position of the last blocks and of the first ones.
    std::fill(buffer.data, buffer.data + size, 100);
    for (size_t at : {size_t{0}, size_t{1}, size_t{15}, size_t{16}, size_t{255}, size_t{256}, size - 300,
                      size - 257, size - 256, size - 17, size - 16, size - 1}) {
        for (uint8_t top : {uint8_t{101}, uint8_t{254}, uint8_t{255}}) {
            buffer.data[at] = top;
            EXPECT_EQ(MaxByteBlock(buffer.data, static_cast<int32_t>(size)), top) << at;
            EXPECT_EQ(MaxByteBlock(buffer.data + 1, static_cast<int32_t>(size - 1)), at >= 1 ? top : 100) << at;
            buffer.data[at] = 100;
        }
    }
}

TEST(ColumnPeak, CoarserLevelsLookOnlyAtTheirGrid)
{
    std::mt19937 rng(4242);
    AlignedBuffer buffer(4096 + 64);
    for (Content content : {Content::Random, Content::Below127, Content::Sound, Content::With255}) {
        Generate(rng, buffer.data, 4096 + 64, content);
        // Every step, not only the powers of two the precision levels use.
        for (int32_t step = 1; step <= 40; ++step) {
            for (int32_t offset = 0; offset < 16; ++offset) {
                const uint8_t* p = buffer.data + offset;
                for (int32_t length = 0; length <= 300; ++length) {
                    const uint8_t expected = ReferenceStrided(p, length, step);
                    ASSERT_EQ(MaxByteStrided(p, length, step), expected) << step << " " << offset << " " << length;
                    ASSERT_EQ(MaxByteStridedPlain(p, length, step), expected) << step << " " << offset << " " << length;
                }
                const uint8_t expected = ReferenceStrided(p, 4096, step);
                ASSERT_EQ(MaxByteStrided(p, 4096, step), expected) << step << " " << offset;
            }
        }
    }
    // Off-grid bytes never count, however large: a 255 between grid points included.
    std::vector<uint8_t> bytes(4096, 100);
    for (int32_t step : {2, 4, 8, 16}) {
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = i % static_cast<size_t>(step) == 0 ? 100 : 255;
        bytes[4000] = 180;
        EXPECT_EQ(MaxByteStrided(bytes.data(), 4096, step), 180) << step;
        EXPECT_EQ(MaxByteStrided(bytes.data() + 1, 4095, step), 255) << step;
    }
    // Through the wave at each level.
    TTxWavStream w;
    w.SetSize(5000);
    Generate(rng, w.Memory(), 5000, Content::Sound);
    for (int32_t precision = 1; precision <= 4; ++precision)
        for (int32_t offset : {0, 3, 17})
            EXPECT_EQ(w.ColumnPeak(offset, 4900, precision),
                      PeakOf(ReferenceStrided(w.Memory() + offset, 4900, 1 << precision)));
}
