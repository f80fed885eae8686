#include "app/SelectListDropTarget.h"

#include <QDragMoveEvent>
#include <QDropEvent>

#include "app/DragSession.h"
#include "app/SelectionsList.h"

TSelectListDropTarget::TSelectListDropTarget(TDragSession& session, TSelectionsList& list, QObject* parent)
    : QObject(parent), FSession(session), FList(list)
{
    FList.viewport()->setAcceptDrops(true);
    FList.viewport()->installEventFilter(this);
}

bool TSelectListDropTarget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != FList.viewport())
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        const TWDragObject* object = FSession.Dragged(drag->mimeData());
        return AnswerDrag(drag, object && FList.SelectListDragOver(object->Wave, object->ListItem != nullptr));
    }
    case QEvent::DragLeave:
        FList.SelectListDragLeave();
        return true;
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const TWDragObject* object = FSession.Dragged(drop->mimeData());
        FList.SelectListDragLeave();
        if (!object || !TSelectionsList::CanStore(object->Wave, object->ListItem != nullptr)) {
            drop->ignore();
            return true;
        }
        FList.Store(*object->Wave);
        return AnswerDrag(drop, true);
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}
