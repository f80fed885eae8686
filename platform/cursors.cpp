#include "platform/cursors.h"

#include <QApplication>
#include <QCursor>

// Override cursors stack inside the toolkit, so nested guards (an hourglass inside a
// pointing hand) come back out in the right order.
TCursorGuard::TCursorGuard(Qt::CursorShape shape)
{
    QApplication::setOverrideCursor(QCursor(shape));
}

TCursorGuard::~TCursorGuard()
{
    QApplication::restoreOverrideCursor();
}
