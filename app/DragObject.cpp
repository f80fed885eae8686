#include "app/DragObject.h"

#include <QTreeWidgetItem>

#include "app/SelectionsList.h"
#include "view/LocalTimeText.h"
#include "wave/Wavs_ex.h"

TWDragObject TWDragObject::OfPaneSelection(TTxWavStream& wave, bool workingPane)
{
    TWDragObject o;
    o.Wave = &wave;
    o.Description = QString::fromLatin1(workingPane ? "W " : "F ") + LocalTimeText(wave.SelStart()) +
                    QLatin1Char('-') + LocalTimeText(wave.SelEnd());
    return o;
}

TWDragObject TWDragObject::OfWavesListEntry(QTreeWidgetItem& entry, TTxWavStream& wave)
{
    TWDragObject o;
    o.Wave = &wave;
    o.ListItem = &entry;
    o.Description = entry.text(0);
    return o;
}

TWDragObject TWDragObject::OfStoredSelection(QTreeWidgetItem& entry)
{
    TWDragObject o;
    o.ListItem = &entry;
    o.Description = QString::fromLatin1(TSelectionsList::DragDescription);
    return o;
}
