#pragma once
// TViewRange: which part of a wave a pane shows, as the sample under the left edge of its
// first pixel column and a scale in samples per column. Scale 0 is "Fit": the whole wave
// across the pane, by the pane's original mapping. The view belongs to a pane, never to a
// wave: a wave shown anew starts at Fit.
//
// The operations are plain functions of the pane's width and the wave's size, so zooming
// and scrolling are tested on numbers. Every result is held inside the wave (Clamp).

#include <cstdint>

struct TViewRange {
    double First = 0;  // sample at the left edge of column 0; 0 at Fit
    double Scale = 0;  // samples per column; 0 at Fit

    bool IsFit() const { return Scale <= 0; }
    bool operator==(const TViewRange&) const = default;
};

namespace ViewRange {

// The closest a pane can look: 64 columns per sample.
constexpr double MinScale = 1.0 / 64;
// One zoom step doubles or halves the scale.
constexpr double ZoomStep = 2.0;

// Samples per column at Fit: size / width (0 for a pane narrower than one column).
double FitScale(int32_t width, int32_t size);
// The scale actually in use: the fit scale at Fit, else the view's.
double EffectiveScale(const TViewRange& view, int32_t width, int32_t size);
// The last allowed First: size - width * scale, not below 0.
double MaxFirst(double scale, int32_t width, int32_t size);

// The view held inside the wave: a scale not below MinScale; a scale that shows the whole
// wave or more becomes Fit; First inside 0 .. MaxFirst. An empty wave or a pane narrower
// than 2 columns is always at Fit.
TViewRange Clamp(const TViewRange& view, int32_t width, int32_t size);
// The view at scale newScale that keeps the sample under column x where it is (the
// pointer's column when zooming with the wheel, the middle otherwise).
TViewRange ZoomAt(const TViewRange& view, int32_t width, int32_t size, double x, double newScale);
// One step closer (factor ZoomStep) or farther, around column x.
TViewRange ZoomIn(const TViewRange& view, int32_t width, int32_t size, double x);
TViewRange ZoomOut(const TViewRange& view, int32_t width, int32_t size, double x);
// The samples start .. end (inclusive) across the pane; at least MinScale, Fit when they
// cover the wave.
TViewRange ZoomTo(int32_t start, int32_t end, int32_t width, int32_t size);
// Moved by columns pixel columns (negative: towards the beginning); nothing at Fit.
TViewRange ScrollBy(const TViewRange& view, int32_t width, int32_t size, double columns);
// Moved so that First is first (held inside the wave); nothing at Fit.
TViewRange ScrollTo(const TViewRange& view, int32_t width, int32_t size, double first);

} // namespace ViewRange
