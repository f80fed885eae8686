#pragma once
// TWDragObject: what one drag carries from its source to its targets. It refers to a
// wave and to a list entry without owning either; the drag session that holds it
// forgets it as soon as either goes, so a target never meets a released one.

#include <QString>

#include "rules/DropZone.h"

class QTreeWidgetItem;
class TTxWavStream;

class TWDragObject {
public:
    // The wave whose selection is dragged: a pane's own wave or a waves-list entry's.
    TTxWavStream* Wave = nullptr;
    // The dragged entry of the waves list or of the selections list.
    QTreeWidgetItem* ListItem = nullptr;
    // The mode chosen by the last drag-over notification on a pane.
    TDropMode DropMode = dropNone;
    // What is dragged, shown while dragging.
    QString Description;

    // A pane's selection: "W " (working pane) or "F " (final pane), then the time texts
    // of the selection's start and end joined by "-".
    static TWDragObject OfPaneSelection(TTxWavStream& wave, bool workingPane);
    // A waves-list entry and its wave, described by the entry's caption.
    static TWDragObject OfWavesListEntry(QTreeWidgetItem& entry, TTxWavStream& wave);
    // A stored selection: no wave, described as "SelectiGHon info".
    static TWDragObject OfStoredSelection(QTreeWidgetItem& entry);

    // A pane's selection: a wave and no list entry.
    bool IsPaneSelection() const { return Wave && !ListItem; }
};
