#pragma once
// The Selections list: often needed selections kept as plain pairs of sample offsets
// (no wave, no pane). An entry shows the time texts of its start, end and length; its
// real content is the two hidden decimal texts after them, which every use reads
// through ParseStoredRange. A click shows the stored range as a bracket on both panes;
// the popup deletes one entry or clears the list.
//
// Drags are not handled here: the window's drag and drop asks CanStore / Store for a
// pane's selection dropped on the list, EntryRange for an entry dropped on a pane and
// RemoveEntry for one dropped on the trash can, and listens to EntryRemoved.

#include <QString>
#include <QTreeWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "document/ComposerDocument.h"
#include "document/StoredRange.h"

class QAction;
class QMenu;
class TTxWavStream;
class TWavPaintBox;

class TSelectionsList : public QTreeWidget, private TDocumentObserver {
    Q_OBJECT
public:
    // The hidden sub-texts of an entry: the start and end as decimal integers.
    static constexpr int StartTextColumn = 3;
    static constexpr int EndTextColumn = 4;
    // A pane's selection is stored only if SelEnd - SelStart is greater than this, so a
    // stored selection is at least 102 samples long.
    static constexpr int32_t MinStoredSpan = 100;

    static constexpr const char* DropHintText = "Drop to add this selection";
    static constexpr const char* PointerHintText = "Selections list. Drag often needed selection in here.";
    // The description of a drag that starts on an entry.
    static constexpr const char* DragDescription = "SelectiGHon info";

    // A view of document's stored selections.
    TSelectionsList(std::shared_ptr<TComposerDocument> document, QWidget* parent);
    // A list with a document of its own (a list shown alone).
    explicit TSelectionsList(QWidget* parent);
    ~TSelectionsList() override;

    TComposerDocument& Document() const { return *FDocument; }

    // Status panel 0 of the main window; set by the window.
    std::function<void(const QString&)> ShowStatus;
    // The two panes the bracket is drawn on; not owned, set by the window.
    TWavPaintBox* WorkingPane = nullptr;
    TWavPaintBox* FinalPane = nullptr;

    // --- storing (drag over / drop of a pane's selection) ----------------------------
    // Whether a dragged thing may be stored: it carries a wave and no list entry (a
    // pane's selection) and that wave's SelEnd - SelStart is greater than 100.
    static bool CanStore(const TTxWavStream* wave, bool hasListItem);
    // Drag over: answers CanStore and, when it accepts, shows "Drop to add this
    // selection" in status panel 0.
    bool SelectListDragOver(const TTxWavStream* wave, bool hasListItem);
    // The drag left the list: status panel 0 is cleared.
    void SelectListDragLeave();
    // Appends an entry from the wave's selection (the drop). The caller has asked
    // CanStore; the texts are made from whatever selection the wave has.
    QTreeWidgetItem* Store(const TTxWavStream& wave);
    // Stores the offsets s and e as they stand in the document; returns the new row.
    QTreeWidgetItem* AppendEntry(int32_t s, int32_t e);

    // --- reading entries ----------------------------------------------------------------
    QTreeWidgetItem* SelectedEntry() const;
    // The entry's two offsets, or nothing when it has no hidden texts or they do not
    // read (such an entry is refused as a drop on a pane and shows no bracket).
    static std::optional<TStoredRange> EntryRange(const QTreeWidgetItem* entry);
    // All entries in list order as their offsets, 0 and 0 for one that does not read
    // (what a plug-in filter receives).
    std::vector<TStoredRange> StoredRanges() const;
    // Removes one entry of this list (a drop on the trash can, "Delete"); others are
    // ignored. EntryRemoved is sent first.
    void RemoveEntry(QTreeWidgetItem* entry);

    // --- the window's handlers -----------------------------------------------------------
    // A click: both panes repainted, then the selected entry's bracket drawn on both.
    void SelectListClick();
    // Pointer movement without dragging: the list's hint in status panel 0.
    void SelectListMouseMove();
    // Opening the popup: "Delete" only with a selected entry, "Clear" only with entries.
    void PopupMenu2Popup();
    void Delete2Click();  // removes the selected entry
    void Clear2Click();   // removes all entries, without asking

    // The bracket of the range s..e on one pane, over its picture (exclusive-or, white,
    // 2 pixels): lines at SampleToMarkPixel(s) + 1 and SampleToMarkPixel(e) - 1 from
    // y = 1 to the bottom, joined at half the height.
    static void DrawBracket(TWavPaintBox& pane, const TStoredRange& range);

    QMenu* PopupMenu2 = nullptr;
    QAction* Delete2 = nullptr;
    QAction* Clear2 = nullptr;

signals:
    // An entry is about to leave the list, however it goes (Delete, Clear, the trash
    // can, a plain delete); it is still in the list. The pointer is for comparison only.
    void EntryRemoved(const QTreeWidgetItem* entry);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void ShowStatusText(const QString& text) const;
    void SendRemoved(int first, int last);
    void SelectionStored(int32_t index) override;
    void StoredSelectionChanged(int32_t index) override;
    void ShowRangeTexts(QTreeWidgetItem* entry, const TStoredRange& range);
    // The offsets the hidden texts of a row put there by other code read as.
    static TStoredRange RowRange(const QTreeWidgetItem* entry);
    void StoredSelectionAboutToBeRemoved(int32_t index) override;
    void StoredSelectionsAboutToBeCleared() override;

    std::shared_ptr<TComposerDocument> FDocument;
    bool FApplying = false;  // the rows follow the document: no echo back into it
};
