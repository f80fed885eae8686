#include "rules/SelectionRules.h"

#include <algorithm>
#include <cmath>

namespace SelectionRules {

namespace {

// Sample arithmetic near the 2^31 limit of a wave is done in 64 bits and brought back
// here; every caller's result lies inside the wave or is handed to a clamping setter.
int32_t Narrow(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// Strictly inside the open interval (centre - s, centre + s).
bool Near(int64_t v, int64_t centre, int64_t s)
{
    return centre - s < v && v < centre + s;
}

} // namespace

void SetSelection(TTxWavStream& wave, int32_t a, int32_t b)
{
    wave.SetSelStart(std::min(a, b));
    wave.SetSelEnd(std::max(a, b));
    if (wave.SelEnd() >= wave.Size())
        wave.SetSelEnd(wave.Size() - 1);
}

void SetSelectionStart(TTxWavStream& wave, int32_t a)
{
    SetSelection(wave, a, wave.SelEnd());
}

void SetSelectionEnd(TTxWavStream& wave, int32_t b)
{
    SetSelection(wave, wave.SelStart(), b);
}

int32_t LimitX(const TPixelMapping& mapping, int32_t x)
{
    return std::max(0, std::min(x, mapping.Width - 1));
}

bool IsOverSelection(const TPixelMapping& mapping, const TTxWavStream& wave, int32_t x)
{
    return mapping.SelStartPixel(wave.SelStart()) <= x && x <= mapping.SelEndPixel(wave.SelEnd());
}

int32_t PointerLevel(const TPixelMapping& mapping, const TTxWavStream& wave, int32_t x)
{
    if (wave.Size() == 0)
        return -1;
    const float level = wave.AverageLevel(mapping.PixelToSample(x), mapping.Span(1), 100);
    return static_cast<int32_t>(std::nearbyint(200.0f * level));
}

int32_t SnapSample(const TPixelMapping& mapping, const TTxWavStream& wave, int32_t v, bool backward)
{
    return wave.SnapToCrossing(v, mapping.Span(10), backward);
}

void DragSelectionStart(TTxWavStream& wave, const TPixelMapping& mapping, int32_t x, TSnap snap)
{
    const int32_t i = mapping.PixelToSample(x);
    if (!snap.ZeroCross) {
        SetSelectionStart(wave, i);
        return;
    }
    const int64_t d = i < wave.SelEnd() ? 0 : -1;
    SetSelectionStart(wave, Narrow(SnapSample(mapping, wave, i, snap.Backward) + d));
}

void DragSelectionEnd(TTxWavStream& wave, const TPixelMapping& mapping, int32_t x, TSnap snap)
{
    const int32_t i = mapping.PixelToSample(x);
    if (!snap.ZeroCross) {
        SetSelectionEnd(wave, i);
        return;
    }
    const int64_t d = i > wave.SelStart() ? -1 : 0;
    SetSelectionEnd(wave, Narrow(SnapSample(mapping, wave, i, snap.Backward) + d));
}

TMoveResult AutoSnap(int32_t q, int32_t length, int32_t markStart, int32_t markEnd, int32_t s,
                     bool zeroCross)
{
    const int64_t m = (int64_t{markStart} + markEnd) / 2; // truncating, as the marks may be -1
    const int64_t h = length / 2;
    const TMarkColour snapped = zeroCross ? TMarkColour::Blue : TMarkColour::Lime;
    if (Near(q, m, s))
        return {Narrow(m), snapped};
    if (Near(q, markEnd, s))
        return {markEnd, snapped};
    if (Near(q, markStart, s))
        return {markStart, snapped};
    if (Near(int64_t{q} + h, markStart, s))
        return {Narrow(markStart - h), snapped};
    if (Near(int64_t{q} + length, markStart, s))
        return {Narrow(int64_t{markStart} - length), snapped};
    return {q, TMarkColour::Red};
}

int32_t ClampMovedStart(int32_t q, int32_t length, int32_t size)
{
    int64_t start = std::max(q, 0);
    // The latest start leaves the last sample out: a moved selection ends at size - 2.
    if (start + length >= size)
        start = std::max<int64_t>(int64_t{size} - length - 1, 0);
    return Narrow(start);
}

TMoveResult MovedStart(const TMoveInput& in)
{
    const int64_t x = int64_t{in.PressSelStartX} + in.X - in.PressX;
    TMoveResult r{in.Mapping.PixelToSample(Narrow(x)), TMarkColour::Red};
    if (in.AutoSnap)
        r = AutoSnap(r.Start, in.PressSelLength, in.MarkStart, in.MarkEnd,
                     in.Mapping.Span(5), in.ZeroCross);
    r.Start = ClampMovedStart(r.Start, in.PressSelLength, in.Mapping.Size);
    return r;
}

TMarkColour MoveSelection(TTxWavStream& wave, const TMoveInput& in)
{
    const TMoveResult r = MovedStart(in);
    SetSelection(wave, r.Start, Narrow(int64_t{r.Start} + in.PressSelLength - 1));
    if (in.ZeroCross) {
        const int32_t start = SnapSample(in.Mapping, wave, wave.SelStart(), false);
        const int32_t end = SnapSample(in.Mapping, wave, wave.SelEnd(), false);
        SetSelection(wave, start, Narrow(int64_t{end} - 1));
    }
    return r.Colour;
}

void ExtendToBeginning(TTxWavStream& wave)
{
    SetSelectionStart(wave, 0);
}

void FlipToBeginning(TTxWavStream& wave)
{
    if (wave.SelStart() > 0)
        SetSelection(wave, 0, wave.SelStart());
}

void ExtendToEnd(TTxWavStream& wave)
{
    SetSelectionEnd(wave, wave.Size() - 1);
}

void FlipToEnd(TTxWavStream& wave)
{
    if (wave.SelEnd() < wave.Size() - 1)
        SetSelection(wave, wave.SelEnd(), wave.Size() - 1);
}

} // namespace SelectionRules
