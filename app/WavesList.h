#pragma once
// The Waves list: one row per sound the user works with (caption, Length text and an
// owned working-format wave), with its popup menu, in-place renaming, auto play and
// auto show. The window creates it in the left panel and connects OnPlay / Pane.

#include <QTreeWidget>
#include <functional>
#include <memory>

#include "wave/Wavs_ex.h"

class QMenu;
class QAction;
class TWavPaintBox;

class TWavesList : public QTreeWidget {
    Q_OBJECT
public:
    explicit TWavesList(QWidget* parent);
    ~TWavesList() override;

    // Plays a whole wave from its start, not looped (the window's PlayRange).
    std::function<void(TTxWavStream& wave)> OnPlay;
    // The Working Wave pane, for auto show; not owned.
    TWavPaintBox* WorkingPane = nullptr;

    // The entry takes the wave over; the Length text is computed from its size.
    QTreeWidgetItem* AppendEntry(const QString& caption, std::unique_ptr<TTxWavStream> wave);
    QTreeWidgetItem* SelectedEntry() const;
    static TTxWavStream* EntryWave(QTreeWidgetItem* entry);
    // Removes the entry and releases its wave.
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
};
