#include "app/SelectionsList.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMouseEvent>
#include <utility>

#include "app/DocumentRows.h"
#include "app/GridDelegate.h"
#include "view/LocalTimeText.h"
#include "view/wavpaint.h"
#include "wave/Wavs_ex.h"

namespace {

constexpr int FromColumn = 0;
constexpr int ToColumn = 1;
constexpr int LengthColumn = 2;

} // namespace

TSelectionsList::TSelectionsList(QWidget* parent) : TSelectionsList(std::make_shared<TComposerDocument>(), parent) {}

TSelectionsList::TSelectionsList(std::shared_ptr<TComposerDocument> document, QWidget* parent)
    : QTreeWidget(parent), FDocument(std::move(document))
{
    // Three visible columns; the two hidden texts live beyond them in each entry.
    setColumnCount(3);
    setHeaderLabels({QStringLiteral("From"), QStringLiteral("To"), QStringLiteral("Length")});
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAllColumnsShowFocus(true);
    setItemDelegate(new TGridDelegate(this));
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // The hint follows the pointer without a button held.
    setMouseTracking(true);
    viewport()->setMouseTracking(true);

    PopupMenu2 = new QMenu(this);
    Delete2 = PopupMenu2->addAction(QStringLiteral("Delete"));
    Clear2 = PopupMenu2->addAction(QStringLiteral("Clear"));
    connect(PopupMenu2, &QMenu::aboutToShow, this, &TSelectionsList::PopupMenu2Popup);
    connect(Delete2, &QAction::triggered, this, &TSelectionsList::Delete2Click);
    connect(Clear2, &QAction::triggered, this, &TSelectionsList::Clear2Click);

    // Whoever removes an entry, the drag that may refer to it hears of it first.
    connect(model(), &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex& parent, int first, int last) {
                if (!parent.isValid())
                    SendRemoved(first, last);
            });
    connect(model(), &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { SendRemoved(0, topLevelItemCount() - 1); });
    FollowRowRemovals(
        *this, FApplying, [this](int row) {
            const TFollowingGuard following(FApplying);
            FDocument->DeleteStoredSelection(row);
        },
        [this] {
            const TFollowingGuard following(FApplying);
            FDocument->ClearStoredSelections();
        });
    // Rows put in or edited by other code than the document's operations are stored as
    // their hidden texts read (0 and 0 when they do not).
    connect(model(), &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex& parent, int first, int last) {
        if (FApplying || parent.isValid())
            return;
        const TFollowingGuard following(FApplying);
        for (int row = first; row <= last; ++row)
            FDocument->StoreSelection(RowRange(topLevelItem(row)), row);
    });
    connect(this, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* entry, int column) {
        if (FApplying || (column != StartTextColumn && column != EndTextColumn))
            return;
        const TFollowingGuard following(FApplying);
        FDocument->ChangeStoredSelection(indexOfTopLevelItem(entry), RowRange(entry));
    });
    FDocument->AddObserver(this);
    for (int32_t i = 0; i < static_cast<int32_t>(FDocument->StoredSelections().size()); ++i)
        SelectionStored(i);
}

TStoredRange TSelectionsList::RowRange(const QTreeWidgetItem* entry)
{
    return EntryRange(entry).value_or(TStoredRange{});
}

void TSelectionsList::ShowRangeTexts(QTreeWidgetItem* entry, const TStoredRange& range)
{
    const int32_t s = range.Start;
    const int32_t e = range.End;
    entry->setText(FromColumn, LocalTimeText(s));
    entry->setText(ToColumn, LocalTimeText(e));
    entry->setText(LengthColumn, LocalTimeText(int64_t(e) - s + 1));
    // The hidden texts the entry is read by, rendered from the document's numbers.
    entry->setText(StartTextColumn, QString::number(s));
    entry->setText(EndTextColumn, QString::number(e));
}

void TSelectionsList::StoredSelectionChanged(int32_t index)
{
    if (FApplying)
        return;
    if (QTreeWidgetItem* entry = topLevelItem(index)) {
        const TFollowingGuard following(FApplying);
        ShowRangeTexts(entry, FDocument->StoredSelections().at(static_cast<size_t>(index)));
    }
}

TSelectionsList::~TSelectionsList()
{
    // The rows go with the list, unannounced: the window is going as well. The
    // selections stay the document's.
    FDocument->RemoveObserver(this);
    disconnect(model(), nullptr, this, nullptr);
    clear();
}

void TSelectionsList::SelectionStored(int32_t index)
{
    if (FApplying)
        return;
    auto* entry = new QTreeWidgetItem;
    ShowRangeTexts(entry, FDocument->StoredSelections().at(static_cast<size_t>(index)));
    const TFollowingGuard following(FApplying);
    insertTopLevelItem(index, entry);
}

void TSelectionsList::StoredSelectionAboutToBeRemoved(int32_t index)
{
    if (FApplying)
        return;
    QTreeWidgetItem* entry = topLevelItem(index);
    // Without a current row the toolkit does not pass the selection on to a neighbour,
    // which a second "Delete" would then remove unasked.
    if (currentItem() == entry)
        selectionModel()->clearCurrentIndex();
    const TFollowingGuard following(FApplying);
    delete entry;  // the model announces it (EntryRemoved) while it is still listed
}

void TSelectionsList::StoredSelectionsAboutToBeCleared()
{
    if (FApplying)
        return;
    const TFollowingGuard following(FApplying);
    clear();
}

void TSelectionsList::SendRemoved(int first, int last)
{
    for (int i = first; i <= last; ++i)
        if (const QTreeWidgetItem* entry = topLevelItem(i))
            emit EntryRemoved(entry);
}

void TSelectionsList::ShowStatusText(const QString& text) const
{
    if (ShowStatus)
        ShowStatus(text);
}

bool TSelectionsList::CanStore(const TTxWavStream* wave, bool hasListItem)
{
    if (!wave || hasListItem)
        return false;
    return int64_t(wave->SelEnd()) - wave->SelStart() > MinStoredSpan;
}

bool TSelectionsList::SelectListDragOver(const TTxWavStream* wave, bool hasListItem)
{
    const bool accept = CanStore(wave, hasListItem);
    if (accept)
        ShowStatusText(QString::fromLatin1(DropHintText));
    return accept;
}

void TSelectionsList::SelectListDragLeave()
{
    ShowStatusText(QString());
}

QTreeWidgetItem* TSelectionsList::Store(const TTxWavStream& wave)
{
    return AppendEntry(wave.SelStart(), wave.SelEnd());
}

QTreeWidgetItem* TSelectionsList::AppendEntry(int32_t s, int32_t e)
{
    return topLevelItem(FDocument->StoreSelection(TStoredRange{s, e}));
}

QTreeWidgetItem* TSelectionsList::SelectedEntry() const
{
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

std::optional<TStoredRange> TSelectionsList::EntryRange(const QTreeWidgetItem* entry)
{
    // Hidden texts that are missing read as empty, so such an entry is unusable too.
    if (!entry)
        return std::nullopt;
    return ParseStoredRange(entry->text(StartTextColumn).toStdString(),
                            entry->text(EndTextColumn).toStdString());
}

std::vector<TStoredRange> TSelectionsList::StoredRanges() const
{
    std::vector<TStoredRange> ranges;
    const int count = topLevelItemCount();
    ranges.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        ranges.push_back(EntryRange(topLevelItem(i)).value_or(TStoredRange{}));
    return ranges;
}

void TSelectionsList::RemoveEntry(QTreeWidgetItem* entry)
{
    if (!entry || entry->treeWidget() != this || entry->parent())
        return;
    FDocument->DeleteStoredSelection(indexOfTopLevelItem(entry));
}

void TSelectionsList::DrawBracket(TWavPaintBox& pane, const TStoredRange& range)
{
    const QColor white(255, 255, 255);
    const int h = pane.height();
    const int x1 = pane.SampleToMarkPixel(range.Start) + 1;
    const int x2 = pane.SampleToMarkPixel(range.End) - 1;
    pane.XorLine(x1, 1, x1, h, white, 2);
    pane.XorLine(x2, 1, x2, h, white, 2);
    pane.XorLine(x1, h / 2, x2, h / 2, white, 2);
}

void TSelectionsList::SelectListClick()
{
    // The repaint takes away the bracket of an earlier click.
    for (TWavPaintBox* pane : {WorkingPane, FinalPane})
        if (pane)
            pane->Repaint();
    const std::optional<TStoredRange> range = EntryRange(SelectedEntry());
    if (!range)
        return;
    for (TWavPaintBox* pane : {WorkingPane, FinalPane})
        if (pane)
            DrawBracket(*pane, *range);
}

void TSelectionsList::SelectListMouseMove()
{
    ShowStatusText(QString::fromLatin1(PointerHintText));
}

void TSelectionsList::PopupMenu2Popup()
{
    Delete2->setEnabled(SelectedEntry() != nullptr);
    Clear2->setEnabled(topLevelItemCount() > 0);
}

void TSelectionsList::Delete2Click()
{
    RemoveEntry(SelectedEntry());
}

void TSelectionsList::Clear2Click()
{
    FDocument->ClearStoredSelections();
}

void TSelectionsList::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        SelectListClick();
}

void TSelectionsList::mouseMoveEvent(QMouseEvent* event)
{
    QTreeWidget::mouseMoveEvent(event);
    SelectListMouseMove();
}

void TSelectionsList::contextMenuEvent(QContextMenuEvent* event)
{
    PopupMenu2->popup(event->globalPos());
    event->accept();
}
