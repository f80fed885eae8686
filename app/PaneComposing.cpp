#include "app/PaneComposing.h"

#include <QTreeWidgetItem>

#include "view/wavpaint.h"
#include "wave/Composing.h"

namespace PaneComposing {

void InsertAtBeginning(TWavPaintBox& pane, TTxWavStream& source)
{
    Composing::InsertAtBeginning(*pane.Wave(), source);
    pane.Refresh();
}

void ReplaceContent(TWavPaintBox& pane, TTxWavStream& source, const QTreeWidgetItem* entry)
{
    if (Composing::ReplaceContent(*pane.Wave(), source))
        pane.Document().PaneWaveReplaced(pane.Pane());
    if (entry)
        pane.WaveName = entry->text(0);
    pane.Refresh();
}

void AppendAtEnd(TWavPaintBox& pane, TTxWavStream& source)
{
    Composing::AppendAtEnd(*pane.Wave(), source);
    pane.Refresh();
}

} // namespace PaneComposing
