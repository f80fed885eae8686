#pragma once
// The selection rules of a pane as plain functions of sample offsets and pixel positions:
// ordering and clamping, setting the start or end from the pointer (with the optional
// snap to a rising zero crossing), moving a selection with autosnap to marks, and the
// side panels' shortcuts. The pane's window handlers keep the press state and call these;
// nothing here knows of pointers, canvases or status texts.

#include <cstdint>

#include "rules/PixelMapping.h"
#include "wave/Wavs_ex.h"

namespace SelectionRules {

// Colour the marks of a moved selection are drawn in. The pane maps it to its palette:
// red (255, 0, 0), blue (0, 0, 255), lime (0, 255, 0).
enum class TMarkColour { Red, Blue, Lime };

// How a dragged start or end is placed: snapped to the nearest rising crossing within
// R = Span(10) samples, the samples under 10 columns (backward while Shift is held), or
// exactly where the pointer is.
struct TSnap {
    bool ZeroCross = true;  // the "Automatic adjust zero cross" button is down
    bool Backward = false;  // Shift is held
};

// SetSelStart(min(a, b)), SetSelEnd(max(a, b)), an end not below the size lowered to
// size - 1. The only way the mouse, the lists and the drops change a selection.
void SetSelection(TTxWavStream& wave, int32_t a, int32_t b);
// SetSelection(a, SelEnd): a start beyond the end makes the old end the new start.
void SetSelectionStart(TTxWavStream& wave, int32_t a);
// SetSelection(SelStart, b): an end before the start makes the old start the new end.
void SetSelectionEnd(TTxWavStream& wave, int32_t b);

// x limited to 0 .. width - 1 (the pointer can be captured outside the pane).
int32_t LimitX(const TPixelMapping& mapping, int32_t x);
// Whether x lies over the selection: SelStartPixel <= x <= SelEndPixel.
bool IsOverSelection(const TPixelMapping& mapping, const TTxWavStream& wave, int32_t x);
// Level bar position for the pointer at x: round(200 * AverageLevel(P(x), Span(1), 100)),
// ties to even; -1 for an empty wave (the bar is left as it is).
int32_t PointerLevel(const TPixelMapping& mapping, const TTxWavStream& wave, int32_t x);

// SnapToCrossing(v, Span(10), backward) on the wave: the rising crossing a start or end
// is placed at.
int32_t SnapSample(const TPixelMapping& mapping, const TTxWavStream& wave, int32_t v,
                   bool backward);

// Left button at x: the start goes to P(x), or with zero-cross on to the snapped crossing
// plus d (0 while P(x) < SelEnd, else -1: passing the end, the start becomes the end, and
// an end lies one sample before its crossing).
void DragSelectionStart(TTxWavStream& wave, const TPixelMapping& mapping, int32_t x, TSnap snap);
// Right button at x: the end goes to P(x), or with zero-cross on to the snapped crossing
// plus d (-1 while P(x) > SelStart, else 0).
void DragSelectionEnd(TTxWavStream& wave, const TPixelMapping& mapping, int32_t x, TSnap snap);

// What a move of the selection with the middle button depends on: the pane and the press
// state kept by the window, the pointer now, the marks and the modifier state.
struct TMoveInput {
    TPixelMapping Mapping;       // pane width and wave size
    int32_t PressSelLength = 0;  // L: the selection's length at the press
    int32_t PressSelStartX = 0;  // the selection's start pixel at the press
    int32_t PressX = 0;          // the pointer's x at the press
    int32_t X = 0;               // the pointer's x now
    int32_t MarkStart = -1;
    int32_t MarkEnd = -1;
    bool AutoSnap = false;       // Shift is held
    bool ZeroCross = true;       // the "Automatic adjust zero cross" button is down
};

// The start a moved selection gets and the colour of the marks.
struct TMoveResult {
    int32_t Start = 0;
    TMarkColour Colour = TMarkColour::Red;
};

// The autosnap of a candidate start q, for a selection of length, marks at markStart and
// markEnd and a reach of s samples; the first rule whose strict test holds applies:
// q near the marks' middle, near the marked end, near the marked start, the selection's
// middle near the marked start, its end near the marked start. Colour: blue with
// zero-cross on, lime with it off, red when no rule applied (q unchanged).
TMoveResult AutoSnap(int32_t q, int32_t length, int32_t markStart, int32_t markEnd, int32_t s,
                     bool zeroCross);
// A start q for a selection of length held inside a wave of size: at least 0, and
// size - length - 1 (not below 0) once q + length would reach the size.
int32_t ClampMovedStart(int32_t q, int32_t length, int32_t size);
// The start of the moved selection: q = P(PressSelStartX + X - PressX), autosnapped with
// S = Span(5) when AutoSnap is set (colour red otherwise), then clamped.
TMoveResult MovedStart(const TMoveInput& in);
// Moves the wave's selection as MovedStart says, keeping its length L, and with
// zero-cross on snaps both ends forward (the end to one before its crossing). Returns
// the marks' colour.
TMarkColour MoveSelection(TTxWavStream& wave, const TMoveInput& in);

// Left-hand panel, left button: the selection starts at the beginning.
void ExtendToBeginning(TTxWavStream& wave);
// Left-hand panel, right button: the selection becomes 0 .. old start; nothing when it
// already starts at 0.
void FlipToBeginning(TTxWavStream& wave);
// Level bar, right button: the selection ends at the last sample.
void ExtendToEnd(TTxWavStream& wave);
// Level bar, left button: the selection becomes old end .. last sample; nothing when it
// already ends there.
void FlipToEnd(TTxWavStream& wave);

} // namespace SelectionRules
