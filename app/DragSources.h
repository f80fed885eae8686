#pragma once
// TDragSources: where drags start. A pane's selection is dragged with Shift and the left
// button pressed over it (once the pointer passes the toolkit's drag distance) or at once
// by the pane's "Drag&Drop selection" button; a waves-list entry by pressing on it and
// moving (its whole wave is selected first); a stored selection the same way from the
// selections list. Each start makes the session's new drag object and runs the drag.

#include <QObject>
#include <QPersistentModelIndex>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <functional>

class QTreeWidget;
class QTreeWidgetItem;
class TDragSession;
class TPaneMouse;
class TSelectionsList;
class TWavPaintBox;
class TWavesList;

class TDragSources : public QObject {
    Q_OBJECT
public:
    struct TParts {
        TWavPaintBox* WorkingPane;
        TWavPaintBox* FinalPane;
        TWavesList* WavesList;
        TSelectionsList* SelectList;
        TPaneMouse* PaneMouse;  // arms a pane's drag on Shift + left over the selection
    };

    // hint shows a text in the window's status bar: a drag that ends empties it, as the
    // button's release it took would have.
    using THint = std::function<void(const QString& text)>;
    TDragSources(TDragSession& session, TParts parts, THint hint, QObject* parent = nullptr);

    // The pane's automatic drag start: the press armed it; the drag begins when the
    // pointer has moved far enough with the button held.
    void PaneDragArmed(TWavPaintBox& pane);
    // Starts the drag of the pane's selection now (the "Drag&Drop selection" buttons),
    // when the pane's wave is not empty and its selection is longer than 0.
    void StartPaneDrag(TWavPaintBox& pane);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool PaneEvent(TWavPaintBox& pane, QEvent* event);
    bool ListEvent(QTreeWidget& list, QEvent* event);
    // The drag of a waves-list entry that holds a wave, or of a stored selection.
    void StartWavesListDrag(QTreeWidgetItem* entry);
    void StartSelectListDrag(QTreeWidgetItem* entry);
    void Exec(QWidget* source);

    TDragSession& FSession;
    TParts FParts;
    THint FHint;
    QPointer<TWavPaintBox> FArmed;   // the pane whose drag the last press armed
    QPoint FPressAt;                 // where that press or a press on a list was
    // The entry the left button went down on. It is the one dragged, whatever rows the
    // pointer crosses before the drag distance is passed.
    QPersistentModelIndex FListPressed;
};
