#include "app/PaneComposing.h"

#include <QTreeWidgetItem>

#include "view/wavpaint.h"
#include "wave/Composing.h"

namespace {

void Refresh(TWavPaintBox& pane)
{
    pane.Repaint();
    pane.UpdateStatus();
}

} // namespace

namespace PaneComposing {

void InsertAtBeginning(TWavPaintBox& pane, TTxWavStream& source)
{
    Composing::InsertAtBeginning(*pane.Wave(), source);
    Refresh(pane);
}

void ReplaceContent(TWavPaintBox& pane, TTxWavStream& source, const QTreeWidgetItem* entry)
{
    Composing::ReplaceContent(*pane.Wave(), source);
    if (entry)
        pane.WaveName = entry->text(0);
    Refresh(pane);
}

void AppendAtEnd(TWavPaintBox& pane, TTxWavStream& source)
{
    Composing::AppendAtEnd(*pane.Wave(), source);
    Refresh(pane);
}

} // namespace PaneComposing
