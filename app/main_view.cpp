// The View menu: zooming the pane the pointer was last over.
#include "app/main.h"

#include "app/PaneMouse.h"
#include "app/PaneZoom.h"

TWavPaintBox& TForm1::ViewTarget() const
{
    TWavPaintBox* pane = PaneMouse ? PaneMouse->LastPane() : nullptr;
    return pane ? *pane : *WorkingPane;
}

void TForm1::ZoomIn1Execute()
{
    PaneZoom::ZoomIn(ViewTarget());
}

void TForm1::ZoomOut1Execute()
{
    PaneZoom::ZoomOut(ViewTarget());
}

void TForm1::ZoomSel1Execute()
{
    PaneZoom::ZoomToSelection(ViewTarget());
}

void TForm1::ZoomFit1Execute()
{
    PaneZoom::FitWholeWave(ViewTarget());
}
