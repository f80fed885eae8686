#include "app/PlaybackKeys.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

bool TPlaybackKeys::Handle(QObject* receiver, QEvent* event)
{
    // A key event travels from the focused control up to the window, passing the
    // application's filter once per step; it is taken once, at its first receiver in
    // this window.
    if (!receiver->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(receiver);
    if (widget->window() != &FWindow)
        return false;
    QWidget* first = QApplication::focusWidget();
    if (!first || first->window() != &FWindow)
        first = &FWindow;
    if (widget != first)
        return false;

    auto* key = static_cast<QKeyEvent*>(event);
    if (event->type() == QEvent::KeyPress && key->key() == Qt::Key_Space) {
        FLooped.setChecked(key->modifiers() == Qt::ShiftModifier);
        FPlay.trigger();
        return false;  // the control still gets its Space
    }
    if (event->type() == QEvent::KeyRelease && key->key() == Qt::Key_Control &&
        !key->isAutoRepeat()) {
        FStop();
    }
    return false;
}
