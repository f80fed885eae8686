// Pixel <-> sample mappings of a pane, checked on their boundaries without any window.
#include <gtest/gtest.h>

#include "rules/PixelMapping.h"

TEST(PixelMapping, PixelToSampleOnA600PixelPaneOf6000Samples)
{
    const TPixelMapping m{600, 6000};
    EXPECT_EQ(m.PixelToSample(0), 0);
    EXPECT_EQ(m.PixelToSample(1), 10);
    EXPECT_EQ(m.PixelToSample(599), 5990);
    // Held inside the wave on both sides.
    EXPECT_EQ(m.PixelToSample(600), 5999);
    EXPECT_EQ(m.PixelToSample(5000), 5999);
    EXPECT_EQ(m.PixelToSample(-1), 0);
    EXPECT_EQ(m.PixelToSample(-100000), 0);
}

TEST(PixelMapping, PixelToSampleDegenerateSizes)
{
    // An empty wave gives -1: 0 is not below the size, so it is lowered to size - 1.
    EXPECT_EQ((TPixelMapping{600, 0}.PixelToSample(0)), -1);
    EXPECT_EQ((TPixelMapping{600, 0}.PixelToSample(300)), -1);
    // A pane narrower than 2 pixels maps everything to 0, even an empty wave.
    EXPECT_EQ((TPixelMapping{1, 6000}.PixelToSample(1)), 0);
    EXPECT_EQ((TPixelMapping{0, 6000}.PixelToSample(5)), 0);
    EXPECT_EQ((TPixelMapping{1, 0}.PixelToSample(0)), 0);
    EXPECT_EQ((TPixelMapping{2, 1}.PixelToSample(1)), 0);
    // Huge pixel values saturate instead of overflowing.
    EXPECT_EQ((TPixelMapping{2, 2147483647}.PixelToSample(2147483647)), 2147483646);
}

TEST(PixelMapping, PixelToSampleRoundsTiesToEven)
{
    // 7 samples on 2 pixels: 3.5 rounds to 4, the column width of the 2-pixel pane.
    EXPECT_EQ((TPixelMapping{2, 7}.PixelToSample(1)), 4);
    // 5 samples on 2 pixels: 2.5 rounds to 2.
    EXPECT_EQ((TPixelMapping{2, 5}.PixelToSample(1)), 2);
    // 4 pixels over 10 samples: 2.5 -> 2, 5, 7.5 -> 8.
    const TPixelMapping m{4, 10};
    EXPECT_EQ(m.PixelToSample(1), 2);
    EXPECT_EQ(m.PixelToSample(2), 5);
    EXPECT_EQ(m.PixelToSample(3), 8);
}

TEST(PixelMapping, SelectionPixels)
{
    const TPixelMapping m{600, 6000};
    // The start divides by size - 1, the end by size.
    EXPECT_EQ(m.SelStartPixel(0), 0);
    EXPECT_EQ(m.SelEndPixel(5999), 599);
    EXPECT_EQ(m.SelStartPixel(5999), 600);
    EXPECT_EQ(m.SelEndPixel(0), 0);
    // Truncation, not rounding: 2999 / 5999 * 600 = 299.95; 5995 / 6000 * 600 = 599.5.
    EXPECT_EQ(m.SelStartPixel(2999), 299);
    EXPECT_EQ(m.SelEndPixel(5995), 599);
    EXPECT_EQ(m.SelEndPixel(9), 0);
    EXPECT_EQ(m.SelEndPixel(10), 1);
    // On 1000 samples and 200 pixels: 250 / 999 * 200 = 50.05 and 749 / 1000 * 200 = 149.8.
    EXPECT_EQ((TPixelMapping{200, 1000}.SelStartPixel(250)), 50);
    EXPECT_EQ((TPixelMapping{200, 1000}.SelEndPixel(749)), 149);

    // Fewer than two samples: no selection pixels at all.
    for (const int32_t size : {0, 1}) {
        EXPECT_EQ((TPixelMapping{600, size}.SelStartPixel(0)), -1);
        EXPECT_EQ((TPixelMapping{600, size}.SelEndPixel(0)), -1);
    }
    EXPECT_EQ((TPixelMapping{600, 2}.SelStartPixel(1)), 600);
    EXPECT_EQ((TPixelMapping{600, 2}.SelEndPixel(1)), 300);
}

TEST(PixelMapping, MarkPixels)
{
    // At most 100 samples: every mark stands at x = 0.
    for (const int32_t s : {0, 50, 99, 100})
        EXPECT_EQ((TPixelMapping{600, 100}.SampleToMarkPixel(s)), 0) << s;
    EXPECT_EQ((TPixelMapping{600, 0}.SampleToMarkPixel(0)), 0);
    // From 101 samples on it scales; 100 / 101 * 600 = 594.06.
    EXPECT_EQ((TPixelMapping{600, 101}.SampleToMarkPixel(100)), 594);
    // Ties go to the even pixel: 50 / 200 * 10 = 2.5 -> 2, 150 / 200 * 10 = 7.5 -> 8.
    const TPixelMapping m{10, 200};
    EXPECT_EQ(m.SampleToMarkPixel(50), 2);
    EXPECT_EQ(m.SampleToMarkPixel(150), 8);
    EXPECT_EQ(m.SampleToMarkPixel(199), 10);
    EXPECT_EQ((TPixelMapping{400, 1000}.SampleToMarkPixel(500)), 200);
    EXPECT_EQ((TPixelMapping{400, 1000}.SampleToMarkPixel(751)), 300);
}
