#pragma once
// TPaneDropTarget: both panes as drop targets. Dragged over a pane, a wave's selection
// is offered one of three drops by the pointer's x (left fifth insert, the middle
// three fifths replace, right fifth append; an empty pane only replace), marked over
// the picture in exclusive-or and named in the pane's status panels 1 and 2; a stored
// selection is offered as the pane's new selection. Dropped, the content operation
// runs; a change of the working pane is first recorded for undo as "Drag and Drop".
// Sound files dragged from a file manager open into the Waves list and then replace
// the pane's content as that entry dropped in the middle would.

#include <QObject>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

class QTreeWidgetItem;
class TAction;
class TDragSession;
class TWDragObject;
class TWavPaintBox;

class TPaneDropTarget : public QObject {
    Q_OBJECT
public:
    enum class TDragState { Enter, Move, Leave };
    // Opens files into the Waves list as "Open Wave" does; returns the first entry it
    // made, or null when none opened.
    using TOpenFiles = std::function<QTreeWidgetItem*(const QStringList& files)>;

    // working is the pane whose drops are undoable; dragDropAction is the window's
    // DragDropAction, whose execution records that step.
    TPaneDropTarget(TDragSession& session, TWavPaintBox& working, TAction& dragDropAction,
                    TOpenFiles openFiles, QObject* parent = nullptr);

    // Makes pane a drop target.
    void Attach(TWavPaintBox& pane);

    // Drag-over of a drag object at (x, y) in pane pixels; whether the pane accepts.
    // On a leave the pane's marks and panels are restored.
    bool PaneDragOver(TWavPaintBox& pane, TWDragObject* object, int32_t x, int32_t y, TDragState state);
    // The drop of object, with the mode its last drag-over chose; whether it was taken.
    bool PaneDragDrop(TWavPaintBox& pane, TWDragObject* object, int32_t x, int32_t y);
    // Files dragged over a pane: offered as a replace when there is at least one.
    bool FilesDragOver(TWavPaintBox& pane, const QStringList& files, TDragState state);
    // Files dropped: they are opened once the drop is over (an open may show messages),
    // then the first one opened replaces the pane's content. False for no files.
    bool FilesDrop(TWavPaintBox& pane, const QStringList& files);

    // Texts of status panel 1 while a drop is offered.
    static constexpr const char* ReplaceText = "<- replace ->";
    static constexpr const char* InsertText = "<- insert";
    static constexpr const char* AppendText = "append ->";

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TWavPaintBox* PaneOf(QObject* watched) const;
    // Repaint (no marks) and the pane's own status texts.
    static void Restore(TWavPaintBox& pane);
    static void ShowOffer(TWavPaintBox& pane, int mode, const QString& description);
    // The undo step before a change of the working pane.
    void RecordUndo(TWavPaintBox& pane);
    void OpenIntoPane(TWavPaintBox& pane, const QStringList& files);

    TDragSession& FSession;
    TWavPaintBox& FWorking;
    TAction& FDragDropAction;
    TOpenFiles FOpenFiles;
    std::vector<TWavPaintBox*> FPanes;
};
