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

// Zoomed in, each sample owns the columns whose value First + x * Scale lies within half
// a sample of it; the selection pixels, the marks and the spans follow the same rule.
TEST(PixelMapping, ZoomedViewsOnTheirBoundaries)
{
    struct Case {
        const char* what;
        TPixelMapping m;
        int32_t x, sample;          // PixelToSample(x)
        int32_t selStart, startPx;  // SelStartPixel(selStart)
        int32_t selEnd, endPx;      // SelEndPixel(selEnd)
        int32_t span10, span1;      // Span(10), Span(1)
    } cases[] = {
        // 8 columns a sample from sample 100: sample 101 owns the columns 4 to 11.
        {"8 columns a sample", {600, 6000, {100, 1.0 / 8}}, 3, 100, 101, 4, 101, 11, 1, 0},
        {"8 columns a sample, next", {600, 6000, {100, 1.0 / 8}}, 4, 101, 100, -4, 100, 3, 1, 0},
        // The closest view: 64 columns a sample; the first sample's columns begin left
        // of the pane.
        {"64 columns a sample", {640, 1000, {0, 1.0 / 64}}, 31, 0, 0, -32, 9, 607, 0, 0},
        {"64 columns a sample, tie", {640, 1000, {0, 1.0 / 64}}, 32, 1, 1, 32, 1, 95, 0, 0},
        // Scrolled to the end: the last column shows the last sample.
        {"scrolled to the end", {100, 1000, {900, 1.0}}, 99, 999, 999, 99, 999, 99, 10, 1},
        {"past the end is held", {100, 1000, {900, 1.0}}, 500, 999, 950, 50, 905, 5, 10, 1},
        // Many samples a column: 430 a column from 4300.
        {"430 samples a column", {1920, 13230000, {4300, 430}}, 1, 4730, 4730, 1, 5159, 1, 4300, 430},
        {"left of the view", {1920, 13230000, {4300, 430}}, -20, 0, 0, -10, 4299, -1, 4300, 430},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.m.PixelToSample(c.x), c.sample);
        EXPECT_EQ(c.m.SelStartPixel(c.selStart), c.startPx);
        EXPECT_EQ(c.m.SelEndPixel(c.selEnd), c.endPx);
        EXPECT_EQ(c.m.Span(10), c.span10);
        EXPECT_EQ(c.m.Span(1), c.span1);
        // A column is over the selection exactly when it maps into it.
        for (int32_t x = c.startPx - 2; x <= c.endPx + 2; ++x) {
            const int32_t s = c.m.PixelToSample(x);
            const bool over = c.startPx <= x && x <= c.endPx;
            if (x >= 0 && x < c.m.Width && c.selStart <= c.selEnd) {
                EXPECT_EQ(over, c.selStart <= s && s <= c.selEnd) << x;
            }
        }
    }
    // The mark of a sample stands at its centre column; Fit keeps its own rules.
    EXPECT_EQ((TPixelMapping{600, 6000, {100, 1.0 / 8}}.SampleToMarkPixel(101)), 8);
    EXPECT_EQ((TPixelMapping{600, 100, {0, 0.5}}.SampleToMarkPixel(50)), 100);
    const TPixelMapping fit{600, 6000};
    EXPECT_EQ(fit.Span(10), fit.PixelToSample(10));
    EXPECT_EQ(fit.Span(1), 10);
}

// The view range: zooming keeps the sample under the pointer, scrolling stops at both
// ends, and whatever shows the whole wave or more is Fit.
TEST(ViewRange, ZoomScrollAndClampOnTheBoundaries)
{
    const int32_t w = 600, size = 6000;  // fit scale 10
    struct Case { const char* what; TViewRange got, want; } cases[] = {
        {"zoom in from Fit at column 300 keeps sample 3000 there",
         ViewRange::ZoomIn({}, w, size, 300), {1500, 5}},
        {"zoom in at the left edge keeps sample 0 there", ViewRange::ZoomIn({}, w, size, 0), {0, 5}},
        {"zoom in at the right edge ends at the end", ViewRange::ZoomIn({}, w, size, 600), {3000, 5}},
        {"zoom out to the whole wave is Fit", ViewRange::ZoomOut({1500, 5}, w, size, 300), {}},
        {"zoom out at Fit stays Fit", ViewRange::ZoomOut({}, w, size, 300), {}},
        {"closer than 64 columns a sample is held", ViewRange::ZoomIn({10, 1.0 / 64}, w, size, 0), {10, 1.0 / 64}},
        {"the whole wave in one column is Fit", ViewRange::Clamp({0, 6000}, w, size), {}},
        {"a scale just under the fit scale stays", ViewRange::Clamp({0, 9.5}, w, size), {0, 9.5}},
        {"zoom to the selection 1000..1599", ViewRange::ZoomTo(1599, 1000, w, size), {1000, 1}},
        {"zoom to one sample is 64 columns a sample", ViewRange::ZoomTo(42, 42, w, size), {42, 1.0 / 64}},
        {"zoom to the whole wave is Fit", ViewRange::ZoomTo(0, 5999, w, size), {}},
        {"scroll past the beginning stops at 0", ViewRange::ScrollBy({100, 1}, w, size, -500), {0, 1}},
        {"scroll past the end stops at the end", ViewRange::ScrollBy({100, 1}, w, size, 1e9), {5400, 1}},
        {"scrolling at Fit does nothing", ViewRange::ScrollBy({}, w, size, 50), {}},
        {"a wave shorter than the pane zooms below its fit scale",
         ViewRange::ZoomIn({}, w, 201, 0), {0, 201.0 / 600 / 2}},
        {"an empty wave is always Fit", ViewRange::Clamp({0, 1}, w, 0), {}},
        {"a pane of one column is always Fit", ViewRange::Clamp({0, 1}, 1, size), {}},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(c.got.First, c.want.First) << c.what;
        EXPECT_DOUBLE_EQ(c.got.Scale, c.want.Scale) << c.what;
    }
}
