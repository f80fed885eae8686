#include "app/DragSources.h"

#include <QApplication>
#include <QMouseEvent>
#include <utility>

#include "app/DragSession.h"
#include "app/PaneMouse.h"
#include "app/SelectionsList.h"
#include "app/WavesList.h"
#include "view/wavpaint.h"

TDragSources::TDragSources(TDragSession& session, TParts parts, THint hint, QObject* parent)
    : QObject(parent), FSession(session), FParts(parts), FHint(std::move(hint))
{
    // Installed after the pane mouse's filter, so this one sees each event first.
    for (QWidget* w : {static_cast<QWidget*>(FParts.WorkingPane), static_cast<QWidget*>(FParts.FinalPane),
                       FParts.WavesList->viewport(), FParts.SelectList->viewport()})
        w->installEventFilter(this);
    FParts.PaneMouse->OnDragStart = [this](TWavPaintBox& pane) { PaneDragArmed(pane); };
}

void TDragSources::PaneDragArmed(TWavPaintBox& pane)
{
    FArmed = &pane;
}

void TDragSources::StartPaneDrag(TWavPaintBox& pane)
{
    TTxWavStream& wave = *pane.Wave();
    if (wave.Size() == 0 || pane.SelLength() <= 0)
        return;
    FSession.Begin(TWDragObject::OfPaneSelection(wave, &pane == FParts.WorkingPane));
    Exec(&pane);
}

void TDragSources::Exec(QWidget* source)
{
    FSession.Exec(source);
    if (FHint)
        FHint(QString());
}

void TDragSources::StartWavesListDrag(QTreeWidgetItem* entry)
{
    TTxWavStream* wave = TWavesList::EntryWave(entry);
    if (!wave)
        return;
    // Whatever mode it is dropped in, an entry gives its whole wave.
    wave->SetSelStart(0);
    wave->SetSelEnd(wave->Size() - 1);
    FSession.Begin(TWDragObject::OfWavesListEntry(*entry, *wave));
    Exec(FParts.WavesList->viewport());
    // The drag took the button's release, after which the list always repaints the
    // working pane (whatever auto show painted there while the button was down).
    FParts.WorkingPane->Repaint();
}

void TDragSources::StartSelectListDrag(QTreeWidgetItem* entry)
{
    if (!entry)
        return;
    FSession.Begin(TWDragObject::OfStoredSelection(*entry));
    Exec(FParts.SelectList->viewport());
}

bool TDragSources::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
        return QObject::eventFilter(watched, event);
    if (watched == FParts.WorkingPane || watched == FParts.FinalPane)
        return PaneEvent(*static_cast<TWavPaintBox*>(watched), event);
    if (watched == FParts.WavesList->viewport())
        return ListEvent(*FParts.WavesList, event);
    if (watched == FParts.SelectList->viewport())
        return ListEvent(*FParts.SelectList, event);
    return QObject::eventFilter(watched, event);
}

bool TDragSources::PaneEvent(TWavPaintBox& pane, QEvent* event)
{
    auto* mouse = static_cast<QMouseEvent*>(event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        // The pane mouse decides whether this press arms the drag.
        FArmed = nullptr;
        FPressAt = mouse->position().toPoint();
        return false;
    case QEvent::MouseButtonRelease:
        FArmed = nullptr;
        return false;
    default:
        break;
    }
    if (!(mouse->buttons() & Qt::LeftButton)) {
        // A drag that ran took the button's release with it: the pane's press ends now.
        if (FParts.PaneMouse->DragArmed() == &pane)
            FParts.PaneMouse->PaneRelease(pane, Qt::NoButton);
        return false;
    }
    if (FArmed != &pane ||
        (mouse->position().toPoint() - FPressAt).manhattanLength() < QApplication::startDragDistance())
        return false;
    FArmed = nullptr;
    StartPaneDrag(pane);
    return true;
}

bool TDragSources::ListEvent(QTreeWidget& list, QEvent* event)
{
    auto* mouse = static_cast<QMouseEvent*>(event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        FPressAt = mouse->position().toPoint();
        FListPressed = mouse->button() == Qt::LeftButton ? QPersistentModelIndex(list.indexAt(FPressAt))
                                                         : QPersistentModelIndex();
        return false;
    case QEvent::MouseButtonRelease:
        FListPressed = QPersistentModelIndex();
        return false;
    default:
        break;
    }
    if (!FListPressed.isValid() || FListPressed.model() != list.model() || !(mouse->buttons() & Qt::LeftButton))
        return false;
    // Until the drag starts the list must not see the move: it would select the row
    // under the pointer, and auto show or auto play it, though the press chose another.
    if ((mouse->position().toPoint() - FPressAt).manhattanLength() < QApplication::startDragDistance())
        return true;
    const int row = FListPressed.row();
    FListPressed = QPersistentModelIndex();
    // The press selected its entry; a press that unselected it (Ctrl) drags nothing.
    QTreeWidgetItem* entry = list.topLevelItem(row);
    if (!entry || !entry->isSelected())
        return true;
    if (&list == FParts.WavesList)
        StartWavesListDrag(entry);
    else
        StartSelectListDrag(entry);
    return true;
}
