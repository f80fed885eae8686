#include "app/PaneDropTarget.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <algorithm>

#include "app/DragSession.h"
#include "app/DroppedFiles.h"
#include "app/PaneComposing.h"
#include "app/SelectionsList.h"
#include "app/WavesList.h"
#include "platform/actions.h"
#include "rules/DropZone.h"
#include "view/PanelStatusBar.h"
#include "view/wavpaint.h"

namespace {

const QColor MarkColour(255, 255, 255);
constexpr int MarkWidth = 10;

} // namespace

TPaneDropTarget::TPaneDropTarget(TDragSession& session, TWavPaintBox& working, TAction& dragDropAction,
                                 TOpenFiles openFiles, QObject* parent)
    : QObject(parent),
      FSession(session),
      FWorking(working),
      FDragDropAction(dragDropAction),
      FOpenFiles(std::move(openFiles))
{
}

void TPaneDropTarget::Attach(TWavPaintBox& pane)
{
    pane.setAcceptDrops(true);
    pane.installEventFilter(this);
    FPanes.push_back(&pane);
}

TWavPaintBox* TPaneDropTarget::PaneOf(QObject* watched) const
{
    const auto it = std::find(FPanes.begin(), FPanes.end(), watched);
    return it == FPanes.end() ? nullptr : *it;
}

bool TPaneDropTarget::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::DragLeave &&
        type != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    TWavPaintBox* pane = PaneOf(watched);
    if (!pane)
        return QObject::eventFilter(watched, event);

    if (type == QEvent::DragLeave) {
        // Whatever was offered (a drag object or files), the pane is its own again.
        Restore(*pane);
        event->accept();
        return true;
    }
    auto* drag = static_cast<QDropEvent*>(event);
    const QPoint at = drag->position().toPoint();
    TWDragObject* object = FSession.Dragged(drag->mimeData());
    const QStringList files = object ? QStringList() : DroppedFiles(drag->mimeData());
    if (type == QEvent::Drop) {
        // As the drag leaves the pane at its drop: marks and borrowed panels go first.
        Restore(*pane);
        const bool taken = object ? PaneDragDrop(*pane, object, at.x(), at.y()) : FilesDrop(*pane, files);
        return AnswerDrag(drag, taken);
    }
    const TDragState state = type == QEvent::DragEnter ? TDragState::Enter : TDragState::Move;
    const bool accepted = object ? PaneDragOver(*pane, object, at.x(), at.y(), state)
                                 : !files.isEmpty() && FilesDragOver(*pane, files, state);
    // Entering, the pane takes every drag it might accept somewhere: the toolkit sends
    // no further moves over a pane that refused the enter, and the zone decides per move.
    return AnswerDrag(drag, accepted || (state == TDragState::Enter && (object || !files.isEmpty())));
}

void TPaneDropTarget::Restore(TWavPaintBox& pane)
{
    pane.Refresh();
}

void TPaneDropTarget::ShowOffer(TWavPaintBox& pane, int mode, const QString& description)
{
    const int w = pane.width();
    const int h = pane.height();
    const char* text = ReplaceText;
    switch (mode) {
    case dropInsert:
        pane.XorLine(5, 5, 5, h - 6, MarkColour, MarkWidth);
        text = InsertText;
        break;
    case dropAppend:
        pane.XorLine(w - 6, 5, w - 6, h - 6, MarkColour, MarkWidth);
        text = AppendText;
        break;
    default:
        pane.XorLine(2, h / 2, w - 3, h / 2, MarkColour, MarkWidth);
        break;
    }
    if (pane.StatusBar) {
        pane.StatusBar->SetPanelText(1, QString::fromLatin1(text));
        pane.StatusBar->SetPanelText(2, description);
    }
}

bool TPaneDropTarget::PaneDragOver(TWavPaintBox& pane, TWDragObject* object, int32_t x, int32_t y,
                                   TDragState state)
{
    Q_UNUSED(y);
    if (!object)
        return false;
    pane.Repaint();
    if (state == TDragState::Leave) {
        pane.UpdateStatus();
        return false;
    }
    if (object->Wave) {
        if (object->Wave->Size() == 0)
            return false;
        object->DropMode = dropNone;
        const TDropMode mode = DropModeAt(pane.width(), x, pane.Wave()->Size() == 0);
        if (mode == dropReplace && object->Wave == pane.Wave()) {
            pane.UpdateStatus();
            return false;
        }
        ShowOffer(pane, mode, object->Description);
        object->DropMode = mode;
        return true;
    }
    if (object->ListItem)
        return TSelectionsList::EntryRange(object->ListItem).has_value();
    return false;
}

void TPaneDropTarget::RecordUndo(TWavPaintBox& pane)
{
    if (&pane == &FWorking)
        FDragDropAction.Execute();
}

bool TPaneDropTarget::PaneDragDrop(TWavPaintBox& pane, TWDragObject* object, int32_t x, int32_t y)
{
    Q_UNUSED(x);
    Q_UNUSED(y);
    if (!object)
        return false;
    if (TTxWavStream* source = object->Wave) {
        const TDropMode mode = object->DropMode;
        // Refused while dragged over; a drop that arrives anyway changes nothing.
        if (source->Size() == 0 || mode == dropNone || (mode == dropReplace && source == pane.Wave()))
            return false;
        QTreeWidgetItem* entry = object->ListItem;
        RecordUndo(pane);
        switch (mode) {
        case dropInsert:
            PaneComposing::InsertAtBeginning(pane, *source);
            break;
        case dropReplace:
            PaneComposing::ReplaceContent(pane, *source, entry);
            break;
        case dropAppend:
            PaneComposing::AppendAtEnd(pane, *source);
            break;
        case dropNone:
            break;
        }
        return true;
    }
    if (!object->ListItem)
        return false;
    const std::optional<TStoredRange> range = TSelectionsList::EntryRange(object->ListItem);
    if (!range)
        return false;
    pane.SetSelection(range->Start, range->End);
    Restore(pane);
    return true;
}

bool TPaneDropTarget::FilesDragOver(TWavPaintBox& pane, const QStringList& files, TDragState state)
{
    pane.Repaint();
    if (state == TDragState::Leave || files.isEmpty()) {
        pane.UpdateStatus();
        return false;
    }
    QStringList names;
    for (const QString& file : files)
        names << QFileInfo(file).fileName();
    ShowOffer(pane, dropReplace, names.join(QStringLiteral(", ")));
    return true;
}

bool TPaneDropTarget::FilesDrop(TWavPaintBox& pane, const QStringList& files)
{
    if (files.isEmpty())
        return false;
    // Opening may ask nothing but may report failing files; the dragging program is
    // not kept waiting for that.
    QPointer<TWavPaintBox> target(&pane);
    QTimer::singleShot(0, this, [this, target, files] {
        if (target)
            OpenIntoPane(*target, files);
    });
    return true;
}

void TPaneDropTarget::OpenIntoPane(TWavPaintBox& pane, const QStringList& files)
{
    QTreeWidgetItem* entry = FOpenFiles ? FOpenFiles(files) : nullptr;
    TTxWavStream* wave = TWavesList::EntryWave(entry);
    if (!wave || wave->Size() == 0)
        return;
    // As a drag of the entry would: the whole wave is selected first.
    wave->SetSelStart(0);
    wave->SetSelEnd(wave->Size() - 1);
    RecordUndo(pane);
    PaneComposing::ReplaceContent(pane, *wave, entry);
}
