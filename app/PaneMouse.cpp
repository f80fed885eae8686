#include "app/PaneMouse.h"

#include <QColor>
#include <QMouseEvent>
#include <QProgressBar>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "app/PaneZoom.h"
#include "view/LocalTimeText.h"
#include "view/PanelStatusBar.h"
#include "rules/SelectionRules.h"
#include "view/wavpaint.h"

namespace {

const QString DragBeginHint = QStringLiteral("Drag begin of selection");
const QString DragEndHint = QStringLiteral("Drag end of selection");
const QString OverSelectionHint =
    QStringLiteral("Click <Shift> to Drag&Drop selection. Use middle mouse button to drag selection marking.");
const QString MoveHint = QStringLiteral("Move selection. Use <Shift> for autosnap.");
const QString NarrowPanelHint = QStringLiteral(
    "Left-click to set selection to the beginning. Right-click to flip selection to the beginning.");
const QString LevelBarHint =
    QStringLiteral("Right-click to set selection to the end. Left-click to flip selection to the end.");

const QColor PointerLineColour(255, 255, 255);

// A wheel notch, in the units of the wheel's angle.
constexpr int Notch = 120;
// How often a drag held past a pane's edge scrolls on, and the least it scrolls by.
constexpr int EdgeIntervalMs = 40;
constexpr int32_t EdgeMinColumns = 4;

QColor MarkColourOf(SelectionRules::TMarkColour colour)
{
    switch (colour) {
    case SelectionRules::TMarkColour::Blue:
        return QColor(0, 0, 255);
    case SelectionRules::TMarkColour::Lime:
        return QColor(0, 255, 0);
    case SelectionRules::TMarkColour::Red:
        break;
    }
    return QColor(255, 0, 0);
}

} // namespace

TPaneMouse::TShiftState TPaneMouse::TShiftState::Of(const QMouseEvent& event)
{
    const Qt::KeyboardModifiers keys = event.modifiers();
    const Qt::MouseButtons buttons = event.buttons();
    TShiftState s;
    s.Shift = keys.testFlag(Qt::ShiftModifier);
    s.Alt = keys.testFlag(Qt::AltModifier);
    s.Ctrl = keys.testFlag(Qt::ControlModifier);
    s.Left = buttons.testFlag(Qt::LeftButton);
    s.Right = buttons.testFlag(Qt::RightButton);
    s.Middle = buttons.testFlag(Qt::MiddleButton);
    s.Double = event.type() == QEvent::MouseButtonDblClick;
    return s;
}

bool TPaneMouse::TShiftState::OnlyShiftLeft() const
{
    return Shift && Left && !Alt && !Ctrl && !Right && !Middle && !Double;
}

TPaneMouse::TPaneMouse(TPlay play, THint hint, TZeroCross zeroCross, QObject* parent)
    : QObject(parent), FPlay(std::move(play)), FHint(std::move(hint)), FZeroCross(std::move(zeroCross))
{
    FEdgeTimer.setInterval(EdgeIntervalMs);
    connect(&FEdgeTimer, &QTimer::timeout, this, &TPaneMouse::EdgeTimeout);
}

void TPaneMouse::Attach(TWavPaintBox* pane, QWidget* narrowPanel, QWidget* levelBar)
{
    if (!pane)
        return;
    Watch(pane, pane, TRole::Pane);
    Watch(narrowPanel, pane, TRole::NarrowPanel);
    Watch(levelBar, pane, TRole::LevelBar);
}

void TPaneMouse::Watch(QWidget* widget, TWavPaintBox* pane, TRole role)
{
    if (!widget)
        return;
    // The hints, the time under the pointer and the pointer line follow the pointer
    // with no button held too.
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
    FWatched.push_back({widget, pane, role});
}

bool TPaneMouse::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
        type != QEvent::MouseMove && type != QEvent::MouseButtonRelease && type != QEvent::Wheel &&
        type != QEvent::Enter)
        return QObject::eventFilter(watched, event);
    const auto it = std::find_if(FWatched.begin(), FWatched.end(),
                                 [watched](const TWatched& w) { return w.Object == watched; });
    if (it == FWatched.end())
        return QObject::eventFilter(watched, event);
    if (it->Role == TRole::Pane)
        FLastPane = it->Pane;
    if (type == QEvent::Enter)
        return QObject::eventFilter(watched, event);
    if (type == QEvent::Wheel) {
        if (it->Role != TRole::Pane)
            return QObject::eventFilter(watched, event);
        auto* wheel = static_cast<QWheelEvent*>(event);
        PaneWheel(*it->Pane, *wheel, static_cast<int32_t>(wheel->position().toPoint().x()));
        return true;
    }

    auto* mouse = static_cast<QMouseEvent*>(event);
    TWavPaintBox& pane = *it->Pane;
    const int32_t x = static_cast<int32_t>(mouse->position().toPoint().x());
    const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    switch (it->Role) {
    case TRole::Pane:
        if (press)
            PanePress(pane, TShiftState::Of(*mouse), x);
        else if (type == QEvent::MouseMove)
            PaneMove(pane, TShiftState::Of(*mouse), x);
        else
            PaneRelease(pane, mouse->button());
        break;
    case TRole::NarrowPanel:
        if (press)
            NarrowPanelPress(pane, mouse->button());
        else if (type == QEvent::MouseMove)
            NarrowPanelMove();
        break;
    case TRole::LevelBar:
        if (press)
            LevelBarPress(pane, mouse->button());
        else if (type == QEvent::MouseMove)
            LevelBarMove();
        break;
    }
    // Handled here: the press must not travel on to the controls around the pane.
    return true;
}

void TPaneMouse::PaneWheel(TWavPaintBox& pane, const QWheelEvent& event, int32_t x)
{
    const QPoint angle = event.angleDelta();
    // Shift turns the wheel sideways on some systems: either direction counts.
    const int delta = angle.y() != 0 ? angle.y() : angle.x();
    if (delta == 0)
        return;
    if (event.modifiers().testFlag(Qt::ControlModifier)) {
        const int steps = std::max(1, std::abs(delta) / Notch);
        for (int i = 0; i < steps; ++i) {
            if (delta > 0)
                PaneZoom::ZoomInAt(pane, x);
            else
                PaneZoom::ZoomOutAt(pane, x);
        }
        return;
    }
    // Turning away from the user shows earlier samples, as a page scrolls up.
    PaneZoom::ScrollBy(pane, -static_cast<double>(delta) / Notch * (pane.width() / 8.0));
}

void TPaneMouse::ScrollAtEdge(TWavPaintBox& pane, TShiftState shift, int32_t x)
{
    const bool dragging = shift.Left || shift.Right || (shift.Middle && MovingSelection);
    const int32_t width = pane.width();
    const bool outside = x < 0 || x >= width;
    if (!dragging || !outside || pane.View().IsFit()) {
        FEdgeTimer.stop();
        FEdgePane = nullptr;
        return;
    }
    const int32_t past = x < 0 ? x : x - (width - 1);
    const int32_t columns = past < 0 ? std::min(past, -EdgeMinColumns) : std::max(past, EdgeMinColumns);
    const double moved = PaneZoom::ScrollBy(pane, columns);
    // The press position moves with the content, so a moved selection keeps its place
    // under the pointer.
    const auto shiftBy = static_cast<int32_t>(std::lround(moved));
    PressX -= shiftBy;
    PressSelStartX -= shiftBy;
    FEdgePane = &pane;
    FEdgeShift = shift;
    FEdgeX = x;
    if (!FEdgeTimer.isActive())
        FEdgeTimer.start();
}

void TPaneMouse::EdgeTimeout()
{
    if (!FEdgePane) {
        FEdgeTimer.stop();
        return;
    }
    PaneMove(*FEdgePane, FEdgeShift, FEdgeX);
}

void TPaneMouse::PanePress(TWavPaintBox& pane, TShiftState shift, int32_t x)
{
    PressX = x;
    PressSelStartX = pane.SelStartPixel();
    PressSelLength = pane.SelLength();
    if (SelectionRules::IsOverSelection(pane.Mapping(), *pane.Wave(), x)) {
        if (shift.OnlyShiftLeft()) {
            ArmDrag(pane);
            return;
        }
        if (shift.Middle) {
            if (shift.Shift) {
                pane.MarkStart = pane.SelStart();
                pane.MarkEnd = pane.SelEnd();
            }
            MovingSelection = true;
        }
    }
    PaneMove(pane, shift, x);
}

void TPaneMouse::ArmDrag(TWavPaintBox& pane)
{
    // The pointer belongs to the drag until the button is released, so the moves of the
    // gesture leave the selection alone.
    FDragArmed = &pane;
    // The window's drag sources start the drag once the pointer has moved far enough.
    if (OnDragStart)
        OnDragStart(pane);
}

void TPaneMouse::PaneMove(TWavPaintBox& pane, TShiftState shift, int32_t x)
{
    if (FDragArmed == &pane)
        return;
    TTxWavStream& wave = *pane.Wave();
    ScrollAtEdge(pane, shift, x);
    if (pane.StatusBar)
        pane.StatusBar->SetPanelText(0, QStringLiteral("@ ") + LocalTimeText(pane.PixelToSample(x)));
    RemovePointerLine(pane);
    x = SelectionRules::LimitX(pane.Mapping(), x);
    ShowLevel(pane, x);

    if (shift.Middle) {
        if (MovingSelection)
            MoveSelection(pane, shift, x);
    } else if (shift.Left) {
        FHint(DragBeginHint);
        SelectionRules::DragSelectionStart(wave, pane.Mapping(), x, {FZeroCross(), shift.Shift});
        pane.Refresh();
    } else if (shift.Right) {
        FHint(DragEndHint);
        SelectionRules::DragSelectionEnd(wave, pane.Mapping(), x, {FZeroCross(), shift.Shift});
        pane.Refresh();
    } else {
        FHint(SelectionRules::IsOverSelection(pane.Mapping(), wave, x) ? OverSelectionHint : QString());
    }

    // Every move with Ctrl held starts playback afresh at the pointer; releasing Ctrl
    // stops it (the window's key handling).
    if (shift.Ctrl) {
        if (MovingSelection)
            FPlay(wave, pane.SelStart(), pane.SelLength(), false);
        else
            FPlay(wave, pane.PixelToSample(x), 0, false);
    }

    DrawPointerLine(pane, x);
}

void TPaneMouse::MoveSelection(TWavPaintBox& pane, TShiftState shift, int32_t x)
{
    FHint(MoveHint);
    SelectionRules::TMoveInput in;
    in.Mapping = pane.Mapping();
    in.PressSelLength = PressSelLength;
    in.PressSelStartX = PressSelStartX;
    in.PressX = PressX;
    in.X = x;
    in.MarkStart = pane.MarkStart;
    in.MarkEnd = pane.MarkEnd;
    in.AutoSnap = shift.Shift;
    in.ZeroCross = FZeroCross();
    pane.MarkColour = MarkColourOf(SelectionRules::MoveSelection(*pane.Wave(), in));
    pane.Refresh();
}

void TPaneMouse::ShowLevel(TWavPaintBox& pane, int32_t x)
{
    if (!pane.LevelBar)
        return;
    const int32_t level = SelectionRules::PointerLevel(pane.Mapping(), *pane.Wave(), x);
    if (level < 0)
        return;
    // The bar holds its position inside its range: a level of 0.5 or more fills it
    // (a value outside the range would be ignored).
    pane.LevelBar->setValue(std::clamp(level, pane.LevelBar->minimum(), pane.LevelBar->maximum()));
}

void TPaneMouse::PaneRelease(TWavPaintBox& pane, Qt::MouseButton button)
{
    if (FDragArmed == &pane)
        FDragArmed = nullptr;
    FEdgeTimer.stop();
    FEdgePane = nullptr;
    MovingSelection = false;
    if (button == Qt::MiddleButton)
        FPlay(*pane.Wave(), pane.SelStart(), pane.SelLength(), false);
    FHint(QString());
}

void TPaneMouse::NarrowPanelPress(TWavPaintBox& pane, Qt::MouseButton button)
{
    if (button == Qt::LeftButton)
        SelectionRules::ExtendToBeginning(*pane.Wave());
    else if (button == Qt::RightButton)
        SelectionRules::FlipToBeginning(*pane.Wave());
    pane.Refresh();
}

void TPaneMouse::NarrowPanelMove()
{
    FHint(NarrowPanelHint);
}

void TPaneMouse::LevelBarPress(TWavPaintBox& pane, Qt::MouseButton button)
{
    if (button == Qt::RightButton)
        SelectionRules::ExtendToEnd(*pane.Wave());
    else if (button == Qt::LeftButton)
        SelectionRules::FlipToEnd(*pane.Wave());
    pane.Refresh();
}

void TPaneMouse::LevelBarMove()
{
    FHint(LevelBarHint);
}

void TPaneMouse::RemovePointerLine(TWavPaintBox& pane)
{
    // A repaint has already taken it away when CursorX is -1.
    if (pane.CursorX >= 0)
        pane.XorLine(pane.CursorX, 0, pane.CursorX, pane.height(), PointerLineColour);
    pane.CursorX = -1;
}

void TPaneMouse::DrawPointerLine(TWavPaintBox& pane, int32_t x)
{
    pane.XorLine(x, 0, x, pane.height(), PointerLineColour);
    pane.CursorX = x;
}

