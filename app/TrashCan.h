#pragma once
// TTrashCan: the small panel under the selections list that deletes whatever is
// dropped on it. A pane's selection loses its samples (no undo step), a waves-list
// entry leaves the list with its wave, a stored selection leaves the selections list.
// Its caption says what a drop would delete while something is over it.

#include <QObject>
#include <QString>
#include <functional>

class QLabel;
class TDragSession;
class TWDragObject;
class TSelectionsList;
class TWavPaintBox;
class TWavesList;

class TTrashCan : public QObject {
    Q_OBJECT
public:
    // Shows a text in status panel 0 of the window; an empty text clears it.
    using THint = std::function<void(const QString& text)>;

    struct TParts {
        QLabel* Panel;               // the trash can itself
        TWavPaintBox* WorkingPane;
        TWavPaintBox* FinalPane;
        TWavesList* WavesList;
        TSelectionsList* SelectList;
    };

    TTrashCan(TDragSession& session, TParts parts, THint hint, QObject* parent = nullptr);

    // Enter or move (leave false): accepts any drag object, the caption reads "Delete "
    // and its description, panel 0 "Drop to delete". Leave: panel 0 cleared, caption
    // "Trash Can".
    bool TrashCanDragOver(const TWDragObject* object, bool leave);
    // Deletes what object refers to.
    void TrashCanDragDrop(TWDragObject* object);
    // Pointer movement without dragging: the trash can's hint.
    void TrashCanMouseMove();

    static constexpr const char* InitialCaption = "Trash can";
    static constexpr const char* IdleCaption = "Trash Can";
    static constexpr const char* DropHintText = "Drop to delete";
    static constexpr const char* PointerHintText = "Trash can. Drag and Drop items to delete.";

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TDragSession& FSession;
    TParts FParts;
    THint FHint;
};
