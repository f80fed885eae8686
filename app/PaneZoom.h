#pragma once
// Zooming and scrolling a pane: the View menu's commands, the panes' zoom buttons and the
// mouse wheel. Each sets the pane's view by the rules of ViewRange; the pane repaints and
// its scroll bar follows.

class TWavPaintBox;

namespace PaneZoom {

// One step closer or farther, keeping the sample under column x where it is.
void ZoomInAt(TWavPaintBox& pane, double x);
void ZoomOutAt(TWavPaintBox& pane, double x);
// The same around the middle of the pane (the commands and buttons).
void ZoomIn(TWavPaintBox& pane);
void ZoomOut(TWavPaintBox& pane);
// The selection across the pane.
void ZoomToSelection(TWavPaintBox& pane);
// The whole wave again.
void FitWholeWave(TWavPaintBox& pane);
// Moved by columns pixel columns (negative: towards the beginning); returns the columns
// the content actually moved by, which is less at either end of the wave.
double ScrollBy(TWavPaintBox& pane, double columns);

} // namespace PaneZoom
