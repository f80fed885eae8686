#pragma once
// The three ways a drop changes a pane's content, on the pane: the wave work of
// Composing, then the picture and the status, and for a replace by a waves-list entry
// the pane's new name. Used by every drop on a pane and by files dropped on one.

class QTreeWidgetItem;
class TTxWavStream;
class TWavPaintBox;

namespace PaneComposing {

// The source's selection put before the pane's content (moved to the front when the
// source is the pane's own wave); the inserted samples are selected.
void InsertAtBeginning(TWavPaintBox& pane, TTxWavStream& source);
// The pane holds exactly the source's selection, fully selected (its own wave: no
// change). With an entry (a waves-list entry) the pane takes the entry's caption as
// its WaveName.
void ReplaceContent(TWavPaintBox& pane, TTxWavStream& source, const QTreeWidgetItem* entry);
// The source's selection put after the pane's content (moved to the end for the
// pane's own wave); the appended samples are selected.
void AppendAtEnd(TWavPaintBox& pane, TTxWavStream& source);

} // namespace PaneComposing
