#pragma once
// TPaneMouse: what the pointer does on the two panes and on the narrow controls beside
// them. A left press or drag sets a pane's selection start, a right one its end (snapped
// to a rising zero crossing while the zero-cross button is down), the middle button moves
// the selection (autosnapping to its marked earlier place while Shift is held), Ctrl plays
// from the pointer, and every move shows the time under the pointer, the level there and a
// pointer line. The narrow panel on a pane's left and its level bar on the right extend or
// flip the selection to the beginning or the end. One set of press state serves both panes.
// The wheel scrolls a zoomed pane, and zooms it with Ctrl; a drag that leaves a zoomed
// pane's edge scrolls it, also while the pointer rests outside.
// The arithmetic is in SelectionRules; this class turns pointer events into those calls.

#include <QObject>
#include <QString>
#include <QTimer>
#include <Qt>
#include <cstdint>
#include <functional>
#include <vector>

class QMouseEvent;
class QWheelEvent;
class QWidget;
class TTxWavStream;
class TWavPaintBox;

class TPaneMouse : public QObject {
    Q_OBJECT
public:
    // The window's play operation: length 0 plays to the end of the wave.
    using TPlay = std::function<void(TTxWavStream& wave, int32_t start, int32_t length, bool looped)>;
    // Shows a text in the window's status bar; an empty text clears it.
    using THint = std::function<void(const QString& text)>;
    // Whether the "Automatic adjust zero cross" button is down.
    using TZeroCross = std::function<bool()>;
    // Starts the automatic drag of a pane's selection.
    using TDragStart = std::function<void(TWavPaintBox& pane)>;

    // The keys and buttons held with a pointer event.
    struct TShiftState {
        bool Shift = false;
        bool Alt = false;
        bool Ctrl = false;
        bool Left = false;
        bool Right = false;
        bool Middle = false;
        bool Double = false;

        // Read from the event: its modifiers and held buttons (a press includes its own
        // button, a release no longer does); Double for a double-click press.
        static TShiftState Of(const QMouseEvent& event);
        // Shift and the left button, and no other key or button: the drag start gesture.
        bool OnlyShiftLeft() const;
    };

    TPaneMouse(TPlay play, THint hint, TZeroCross zeroCross, QObject* parent = nullptr);

    // Watches the pointer on pane, on the narrow panel left of it and on its level bar
    // (either may be null) and turns their presses, moves and releases into the handlers
    // below. Moves are reported also while no button is held.
    void Attach(TWavPaintBox* pane, QWidget* narrowPanel, QWidget* levelBar);

    // Press on a pane at x (pane pixels): the press state is taken, a Shift + left press
    // over the selection arms the drag and does nothing else, a middle press over it
    // starts a move (with Shift marking its place first); then the move steps run.
    void PanePress(TWavPaintBox& pane, TShiftState shift, int32_t x);
    // Move over a pane: time and level under the pointer, then the one thing the held
    // buttons do (move, drag the start, drag the end, or the hint over the selection),
    // Ctrl playback, and the pointer line at x. Nothing while the drag is armed.
    void PaneMove(TWavPaintBox& pane, TShiftState shift, int32_t x);
    // Release on a pane: the move ends; the middle button plays the selection.
    void PaneRelease(TWavPaintBox& pane, Qt::MouseButton button);
    // Narrow panel: left extends the selection to the beginning, right flips it there.
    void NarrowPanelPress(TWavPaintBox& pane, Qt::MouseButton button);
    void NarrowPanelMove();
    // Level bar: right extends the selection to the end, left flips it there.
    void LevelBarPress(TWavPaintBox& pane, Qt::MouseButton button);
    void LevelBarMove();

    // The pane whose automatic drag the last Shift + left press armed, until a release;
    // null when none.
    TWavPaintBox* DragArmed() const { return FDragArmed; }
    // The pane the pointer was last over (or pressed, or turned the wheel on); null
    // before any.
    TWavPaintBox* LastPane() const { return FLastPane; }
    // The wheel over a pane at x: with Ctrl one zoom step per notch around x (in for a
    // turn away from the user), else a scroll of an eighth of the pane per notch.
    void PaneWheel(TWavPaintBox& pane, const QWheelEvent& event, int32_t x);

    // Press state, one set for both panes.
    int32_t PressX = 0;          // pointer x at the last press on a pane
    int32_t PressSelStartX = 0;  // that pane's SelStartPixel at the press
    int32_t PressSelLength = 0;  // that pane's SelLength at the press
    bool MovingSelection = false;

    // Called when a Shift + left press over a selection arms the drag.
    TDragStart OnDragStart;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class TRole { Pane, NarrowPanel, LevelBar };
    struct TWatched {
        QObject* Object;
        TWavPaintBox* Pane;
        TRole Role;
    };

    void Watch(QWidget* widget, TWavPaintBox* pane, TRole role);
    void ArmDrag(TWavPaintBox& pane);
    void MoveSelection(TWavPaintBox& pane, TShiftState shift, int32_t x);
    void ShowLevel(TWavPaintBox& pane, int32_t x);
    // A drag past the edge of a zoomed pane scrolls it by the distance past the edge (at
    // least a few columns); the press state follows the content. Keeps a timer running
    // while the pointer stays outside with the button held.
    void ScrollAtEdge(TWavPaintBox& pane, TShiftState shift, int32_t x);
    void EdgeTimeout();
    static void RemovePointerLine(TWavPaintBox& pane);
    static void DrawPointerLine(TWavPaintBox& pane, int32_t x);

    TPlay FPlay;
    THint FHint;
    TZeroCross FZeroCross;
    TWavPaintBox* FDragArmed = nullptr;
    TWavPaintBox* FLastPane = nullptr;
    std::vector<TWatched> FWatched;
    // The drag held past an edge, repeated by the timer.
    QTimer FEdgeTimer;
    TWavPaintBox* FEdgePane = nullptr;
    TShiftState FEdgeShift;
    int32_t FEdgeX = 0;
};
