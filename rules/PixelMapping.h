#pragma once
// Pixel <-> sample mappings of a pane, as a value: a pane width in pixels and a wave
// size in samples. Tests use it without any window.
#include <cstdint>

struct TPixelMapping {
    int32_t Width = 0;  // pane width in pixels
    int32_t Size = 0;   // wave size in samples

    // round(Size * x / Width), ties to even, then held inside 0..Size-1 (an empty wave
    // gives -1); 0 for a pane narrower than 2 pixels.
    int32_t PixelToSample(int32_t x) const;
    // -1 for fewer than 2 samples, else trunc(selStart / (Size - 1) * Width).
    int32_t SelStartPixel(int32_t selStart) const;
    // -1 for fewer than 2 samples, else trunc(selEnd / Size * Width).
    int32_t SelEndPixel(int32_t selEnd) const;
    // 0 for at most 100 samples, else round(s / Size * Width), ties to even.
    int32_t SampleToMarkPixel(int32_t s) const;
};
