#pragma once
// The Waves list: a view of the document's entries, one row per sound the user works
// with (caption and Length text; the wave is the entry's, in the document), with its
// popup menu, in-place renaming, auto play and auto show. The window creates it in the
// left panel and connects OnPlay / WorkingPane.

#include <QTreeWidget>
#include <functional>
#include <memory>

#include "document/ComposerDocument.h"
#include "wave/Wavs_ex.h"

class QMenu;
class QAction;
class TWavPaintBox;

class TWavesList : public QTreeWidget, private TDocumentObserver {
    Q_OBJECT
public:
    // A view of document's entries.
    TWavesList(std::shared_ptr<TComposerDocument> document, QWidget* parent);
    // A list with a document of its own (a list shown alone).
    explicit TWavesList(QWidget* parent);
    ~TWavesList() override;

    TComposerDocument& Document() const { return *FDocument; }

    // Plays a whole wave from its start, not looped (the window's PlayRange).
    std::function<void(TTxWavStream& wave)> OnPlay;
    // The Working Wave pane, for auto show; not owned.
    TWavPaintBox* WorkingPane = nullptr;

    // A new entry of the document, which takes the wave over; its row shows the Length
    // text computed from the size.
    QTreeWidgetItem* AppendEntry(const QString& caption, std::unique_ptr<TTxWavStream> wave);
    QTreeWidgetItem* SelectedEntry() const;
    // The document's wave of the entry a row shows; null for a row of no list.
    static TTxWavStream* EntryWave(QTreeWidgetItem* entry);
    // Removes the entry and releases its wave. A row deleted or taken by other code, or
    // the list cleared, takes its entry out of the document the same way.
    void RemoveEntry(QTreeWidgetItem* entry);
    // Gives an existing entry a new wave (the old one is released) and recomputes its
    // Length text; a drop on an entry does this.
    void SetEntryWave(QTreeWidgetItem* entry, std::unique_ptr<TTxWavStream> wave);
    // Opens the caption of entry for in-place editing; the list takes the focus.
    void StartRename(QTreeWidgetItem* entry);
    // The Length column's text for a wave of samples samples, in the user's locale.
    static QString LengthText(int64_t samples);

    bool AutoShow() const;
    bool AutoPlay() const;
    QMenu* PopupMenu1 = nullptr;
    QAction* Play1 = nullptr;
    QAction* Delete1 = nullptr;
    QAction* Clear1 = nullptr;
    QAction* AutoShow1 = nullptr;
    QAction* Autoplay1 = nullptr;

    void WavesListSelectItem();
    void PopupMenu1Popup();
    void Delete1Click();
    void Clear1Click();
    void AutoShowClick();
    void Autoplay1Click();

    void Play1Click();

protected:
    // Only the caption column is edited in place, whichever column was clicked.
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;  // WavesListMouseUp
    void keyPressEvent(QKeyEvent* event) override;        // WavesListKeyDown
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void EntryAppended(int32_t index) override;
    void EntryChanged(int32_t index) override;
    void EntryAboutToBeRemoved(int32_t index) override;
    void EntriesAboutToBeCleared() override;
    void ShowEntryTexts(QTreeWidgetItem* row, int32_t index);

    std::shared_ptr<TComposerDocument> FDocument;
    bool FApplying = false;  // the rows follow the document: no echo back into it
};
