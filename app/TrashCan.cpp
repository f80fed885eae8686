#include "app/TrashCan.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QLabel>

#include "app/DragSession.h"
#include "app/SelectionsList.h"
#include "app/WavesList.h"
#include "view/wavpaint.h"

TTrashCan::TTrashCan(TDragSession& session, TParts parts, THint hint, QObject* parent)
    : QObject(parent), FSession(session), FParts(parts), FHint(std::move(hint))
{
    FParts.Panel->setText(QString::fromLatin1(InitialCaption));
    FParts.Panel->setAcceptDrops(true);
    FParts.Panel->setMouseTracking(true);
    FParts.Panel->installEventFilter(this);
}

bool TTrashCan::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != FParts.Panel)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseMove:
        TrashCanMouseMove();
        return false;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        return AnswerDrag(drag, TrashCanDragOver(FSession.Dragged(drag->mimeData()), false));
    }
    case QEvent::DragLeave:
        TrashCanDragOver(nullptr, true);
        return true;
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        TWDragObject* object = FSession.Dragged(drop->mimeData());
        // The drag leaves the can as it is dropped.
        TrashCanDragOver(nullptr, true);
        if (!object) {
            drop->ignore();
            return true;
        }
        AnswerDrag(drop, true);
        TrashCanDragDrop(object);
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

bool TTrashCan::TrashCanDragOver(const TWDragObject* object, bool leave)
{
    if (leave) {
        FHint(QString());
        FParts.Panel->setText(QString::fromLatin1(IdleCaption));
        FParts.Panel->update();
        return false;
    }
    if (!object)
        return false;
    FParts.Panel->setText(QStringLiteral("Delete ") + object->Description);
    FHint(QString::fromLatin1(DropHintText));
    return true;
}

void TTrashCan::TrashCanDragDrop(TWDragObject* object)
{
    if (!object)
        return;
    if (object->IsPaneSelection()) {
        // Not recorded for undo: the can deletes for good.
        object->Wave->RemoveSelection();
        for (TWavPaintBox* pane : {FParts.WorkingPane, FParts.FinalPane}) {
            pane->Refresh();
        }
        return;
    }
    // Removing the entry ends the drag object with it: nothing of it is read afterwards.
    QTreeWidgetItem* entry = object->ListItem;
    if (!entry)
        return;
    if (entry->treeWidget() == FParts.WavesList)
        FParts.WavesList->RemoveEntry(entry);
    else if (entry->treeWidget() == FParts.SelectList)
        FParts.SelectList->RemoveEntry(entry);
}

void TTrashCan::TrashCanMouseMove()
{
    FHint(QString::fromLatin1(PointerHintText));
}
