#pragma once
// Pixel <-> sample mappings of a pane, as a value: a pane width in pixels, a wave size in
// samples and the part of the wave the pane shows. Tests use it without any window.
//
// At Fit (the default view) the whole wave spans the pane by the original rules below.
// Zoomed in, column x shows the samples around First + x * Scale: sample s owns the
// columns whose centre-to-sample value First + x * Scale lies in [s - 0.5, s + 0.5).
#include <cstdint>

#include "rules/ViewRange.h"

struct TPixelMapping {
    int32_t Width = 0;  // pane width in pixels
    int32_t Size = 0;   // wave size in samples
    TViewRange View{};  // the part shown; Fit by default

    // Fit: round(Size * x / Width), ties to even; zoomed: floor(First + x * Scale + 0.5).
    // Then held inside 0..Size-1 (an empty wave gives -1); 0 for a pane narrower than 2
    // pixels.
    int32_t PixelToSample(int32_t x) const;
    // The samples under n columns, as the snap range (10 columns), the move reach (5) and
    // the level's span (1) count them: PixelToSample(n) at Fit, round(n * Scale) zoomed.
    int32_t Span(int32_t n) const;
    // -1 for fewer than 2 samples. Fit: trunc(selStart / (Size - 1) * Width); zoomed: the
    // first column that maps to selStart or later.
    int32_t SelStartPixel(int32_t selStart) const;
    // -1 for fewer than 2 samples. Fit: trunc(selEnd / Size * Width); zoomed: the last
    // column that maps to selEnd or earlier.
    int32_t SelEndPixel(int32_t selEnd) const;
    // Fit: 0 for at most 100 samples, else round(s / Size * Width), ties to even; zoomed:
    // the column at the sample's centre.
    int32_t SampleToMarkPixel(int32_t s) const;
    // Where the sample's centre lies, in fractional columns (zoomed drawing).
    double SampleX(double s) const;
    // Samples per column in use (the fit scale at Fit).
    double Scale() const;
    // The sample at the left edge of column 0 (0 at Fit).
    double First() const { return View.IsFit() ? 0.0 : View.First; }
};
