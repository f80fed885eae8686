#include "app/PaneZoom.h"

#include "rules/ViewRange.h"
#include "view/wavpaint.h"

namespace PaneZoom {

void ZoomInAt(TWavPaintBox& pane, double x)
{
    pane.SetView(ViewRange::ZoomIn(pane.View(), pane.width(), pane.Wave()->Size(), x));
}

void ZoomOutAt(TWavPaintBox& pane, double x)
{
    pane.SetView(ViewRange::ZoomOut(pane.View(), pane.width(), pane.Wave()->Size(), x));
}

void ZoomIn(TWavPaintBox& pane)
{
    ZoomInAt(pane, pane.width() / 2.0);
}

void ZoomOut(TWavPaintBox& pane)
{
    ZoomOutAt(pane, pane.width() / 2.0);
}

void ZoomToSelection(TWavPaintBox& pane)
{
    pane.SetView(ViewRange::ZoomTo(pane.SelStart(), pane.SelEnd(), pane.width(), pane.Wave()->Size()));
}

void FitWholeWave(TWavPaintBox& pane)
{
    pane.SetView(TViewRange{});
}

double ScrollBy(TWavPaintBox& pane, double columns)
{
    const TViewRange before = pane.View();
    if (before.IsFit())
        return 0;
    pane.SetView(ViewRange::ScrollBy(before, pane.width(), pane.Wave()->Size(), columns));
    const TViewRange after = pane.View();
    // A change of scale (none here) would make the columns incomparable.
    return after.IsFit() ? 0 : (after.First - before.First) / before.Scale;
}

} // namespace PaneZoom
