#include "app/WavesList.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <utility>

#include "view/LocalTimeText.h"
#include "app/DocumentRows.h"
#include "app/GridDelegate.h"
#include "app/OutOfMemoryReport.h"
#include "platform/dialogs.h"
#include "view/wavpaint.h"

namespace {

constexpr int NameColumn = 0;
constexpr int LengthColumn = 1;

// One row of the list; its entry (caption and wave) is the document's, at the same index.
class TWavesListItem : public QTreeWidgetItem {
public:
    TWavesListItem() { setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable); }

    ~TWavesListItem() override
    {
        // Leave the view while the row is still whole: the selection notifications
        // that removal sends must never meet a row whose entry is already gone.
        if (QTreeWidget* view = treeWidget()) {
            // Without a current row the toolkit does not move the selection to a
            // neighbour, which would auto play or auto show an entry nobody chose.
            if (view->currentItem() == this)
                view->selectionModel()->clearCurrentIndex();
            view->takeTopLevelItem(view->indexOfTopLevelItem(this));
        }
    }
};

} // namespace

TWavesList::TWavesList(QWidget* parent) : TWavesList(std::make_shared<TComposerDocument>(), parent) {}

TWavesList::TWavesList(std::shared_ptr<TComposerDocument> document, QWidget* parent)
    : QTreeWidget(parent), FDocument(std::move(document))
{
    setColumnCount(2);
    setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Length")});
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    // F2 is handled by keyPressEvent; a click on the selected row also renames.
    setEditTriggers(QAbstractItemView::SelectedClicked);
    setItemDelegate(new TGridDelegate(this));
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    header()->setSectionResizeMode(LengthColumn, QHeaderView::ResizeToContents);

    // The selected row keeps its highlight while another control has the focus.
    QPalette p = palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText,
               p.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);

    // Drags of entries are started by the window's drag sources (the entry's whole wave
    // selected first), not by the view's own drag of item data.
    setDragEnabled(false);

    PopupMenu1 = new QMenu(this);
    Play1 = PopupMenu1->addAction(QStringLiteral("Play"));
    PopupMenu1->addSeparator();
    Delete1 = PopupMenu1->addAction(QStringLiteral("Delete"));
    Clear1 = PopupMenu1->addAction(QStringLiteral("Clear list"));
    PopupMenu1->addSeparator();
    AutoShow1 = PopupMenu1->addAction(QStringLiteral("Auto show waveform"));
    AutoShow1->setCheckable(true);
    Autoplay1 = PopupMenu1->addAction(QStringLiteral("Auto play"));
    Autoplay1->setCheckable(true);

    connect(PopupMenu1, &QMenu::aboutToShow, this, &TWavesList::PopupMenu1Popup);
    connect(Play1, &QAction::triggered, this, &TWavesList::Play1Click);
    connect(Delete1, &QAction::triggered, this, &TWavesList::Delete1Click);
    connect(Clear1, &QAction::triggered, this, &TWavesList::Clear1Click);
    // The two check items flip themselves when triggered (checkable actions).
    connect(this, &QTreeWidget::itemSelectionChanged, this, &TWavesList::WavesListSelectItem);

    FollowRowRemovals(
        *this, FApplying, [this](int row) {
            const TFollowingGuard following(FApplying);
            FDocument->DeleteEntry(row);
        },
        [this] {
            const TFollowingGuard following(FApplying);
            FDocument->ClearEntries();
        });
    // A caption edited in place is the entry's new caption.
    connect(this, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* row, int column) {
        if (!FApplying && column == NameColumn)
            FDocument->RenameEntry(indexOfTopLevelItem(row), row->text(NameColumn).toStdString());
    });
    FDocument->AddObserver(this);
    for (int32_t i = 0; i < FDocument->EntryCount(); ++i)
        EntryAppended(i);
}

TWavesList::~TWavesList()
{
    // The rows go while this object is still a TWavesList, and without the selection
    // handler: the pane it would touch may already be gone.
    disconnect(this, &QTreeWidget::itemSelectionChanged, this, &TWavesList::WavesListSelectItem);
    FDocument->RemoveObserver(this);
    // The entries stay the document's; the rows just go, unannounced (the model goes on
    // telling until the view's last base is gone).
    disconnect(model(), nullptr, this, nullptr);
    clear();
}

void TWavesList::ShowEntryTexts(QTreeWidgetItem* row, int32_t index)
{
    const TWaveEntry& entry = FDocument->Entry(index);
    row->setText(NameColumn, QString::fromStdString(entry.Caption));
    row->setText(LengthColumn, LengthText(entry.Wave ? entry.Wave->Size() : 0));
}

void TWavesList::EntryAppended(int32_t index)
{
    auto* row = new TWavesListItem;
    ShowEntryTexts(row, index);
    const TFollowingGuard following(FApplying);
    insertTopLevelItem(index, row);
}

void TWavesList::EntryChanged(int32_t index)
{
    if (QTreeWidgetItem* row = topLevelItem(index)) {
        const TFollowingGuard following(FApplying);
        ShowEntryTexts(row, index);
    }
}

void TWavesList::EntryAboutToBeRemoved(int32_t index)
{
    if (FApplying)
        return;
    const TFollowingGuard following(FApplying);
    delete topLevelItem(index);  // the row leaves the view first (see TWavesListItem)
}

void TWavesList::EntriesAboutToBeCleared()
{
    if (FApplying)
        return;
    const TFollowingGuard following(FApplying);
    clear();
}

QString TWavesList::LengthText(int64_t samples)
{
    return LocalTimeText(samples);
}

QTreeWidgetItem* TWavesList::AppendEntry(const QString& caption, std::unique_ptr<TTxWavStream> wave)
{
    return topLevelItem(FDocument->AppendEntry(caption.toStdString(), std::move(wave)));
}

QTreeWidgetItem* TWavesList::SelectedEntry() const
{
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

TTxWavStream* TWavesList::EntryWave(QTreeWidgetItem* entry)
{
    auto* list = entry ? qobject_cast<TWavesList*>(entry->treeWidget()) : nullptr;
    return list ? list->FDocument->EntryWave(list->indexOfTopLevelItem(entry)) : nullptr;
}

void TWavesList::RemoveEntry(QTreeWidgetItem* entry)
{
    if (!entry || entry->treeWidget() != this)
        return;
    FDocument->DeleteEntry(indexOfTopLevelItem(entry));
}

void TWavesList::SetEntryWave(QTreeWidgetItem* entry, std::unique_ptr<TTxWavStream> wave)
{
    if (!entry || entry->treeWidget() != this)
        return;
    FDocument->SetEntryWave(indexOfTopLevelItem(entry), std::move(wave));
}

void TWavesList::StartRename(QTreeWidgetItem* entry)
{
    if (!entry || entry->treeWidget() != this)
        return;
    setFocus();
    scrollToItem(entry);
    editItem(entry, NameColumn);
}

bool TWavesList::AutoShow() const
{
    return AutoShow1->isChecked();
}

bool TWavesList::AutoPlay() const
{
    return Autoplay1->isChecked();
}

void TWavesList::WavesListSelectItem()
{
    // Works on the entry selected now, whichever row the notification was about.
    QTreeWidgetItem* entry = SelectedEntry();
    TTxWavStream* wave = EntryWave(entry);
    if (!wave)
        return;
    if (AutoPlay() && OnPlay)
        OnPlay(*wave);
    if (!AutoShow() || !WorkingPane)
        return;
    RunReportingOutOfMemory([&] {
        if (WorkingPane->Wave()->Size() != 0) {
            // A look only: the pane keeps its own wave, which returns at the next repaint.
            WorkingPane->PaintOnce(*wave);
        } else {
            // An empty pane takes a copy (not an undo step; the pane keeps its name).
            WorkingPane->Document().ReplacePaneWave(WorkingPane->Pane(), *wave);
            WorkingPane->Refresh();
        }
    });
}

void TWavesList::PopupMenu1Popup()
{
    if (QTreeWidgetItem* entry = SelectedEntry()) {
        Delete1->setText(QStringLiteral("Delete ") + entry->text(NameColumn));
        Delete1->setEnabled(true);
        Play1->setText(QStringLiteral("Play ") + entry->text(NameColumn));
        Play1->setEnabled(true);
    } else {
        Delete1->setText(QStringLiteral("Delete"));
        Delete1->setEnabled(false);
        Play1->setText(QStringLiteral("Play"));
        Play1->setEnabled(false);
    }
    Clear1->setEnabled(topLevelItemCount() > 0);
}

void TWavesList::Play1Click()
{
    TTxWavStream* wave = EntryWave(SelectedEntry());
    if (wave && OnPlay)
        OnPlay(*wave);
}

void TWavesList::Delete1Click()
{
    RemoveEntry(SelectedEntry());
}

void TWavesList::Clear1Click()
{
    if (topLevelItemCount() == 0)
        return;
    if (Dialogs::Confirm(QStringLiteral("Are you sure you want to clear the list?")))
        FDocument->ClearEntries();
}

void TWavesList::AutoShowClick()
{
    AutoShow1->toggle();
}

void TWavesList::Autoplay1Click()
{
    Autoplay1->toggle();
}

bool TWavesList::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    if (index.isValid() && index.column() != NameColumn)
        return QTreeWidget::edit(index.siblingAtColumn(NameColumn), trigger, event);
    return QTreeWidget::edit(index, trigger, event);
}

void TWavesList::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeWidget::mouseReleaseEvent(event);
    // Whatever auto show painted over the pane while the button was down goes away.
    if (WorkingPane)
        WorkingPane->Repaint();
}

void TWavesList::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F2) {
        if (QTreeWidgetItem* entry = SelectedEntry())
            StartRename(entry);
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void TWavesList::contextMenuEvent(QContextMenuEvent* event)
{
    PopupMenu1->popup(event->globalPos());
    event->accept();
}
