#include "plugins/FilterRunWait.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QSocketNotifier>
#include <QTimer>
#include <QWindow>
#include <cerrno>
#include <poll.h>

#include "platform/cursors.h"
#include "plugins/FilterRunNotice.h"

namespace {

bool Readable(int fd, int timeoutMs)
{
    pollfd p{fd, POLLIN, 0};
    int ready;
    do
        ready = poll(&p, 1, timeoutMs);
    while (ready < 0 && errno == EINTR);
    return ready != 0;  // an error reads as the end, which the caller then sees
}

bool IsInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
        return true;
    default:
        return false;
    }
}

} // namespace

TFilterRunWait::TFilterRunWait(QWidget* window, QString libraryName, QString filterName)
    : FWindow(window), FLibraryName(std::move(libraryName)), FFilterName(std::move(filterName))
{
}

TFilterRunWait::~TFilterRunWait()
{
    delete FNotice;
}

bool TFilterRunWait::Wait(int fd, std::function<void()> stop)
{
    FStopHelper = std::move(stop);
    TCursorGuard hourglass(Qt::WaitCursor);
    if (Readable(fd, QuietWaitMs))
        return true;

    QEventLoop loop;
    FLoop = &loop;
    QSocketNotifier answer(fd, QSocketNotifier::Read);
    connect(&answer, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
    QTimer notice;
    notice.setSingleShot(true);
    connect(&notice, &QTimer::timeout, this, [this] {
        FNotice = new TFilterRunNotice(FWindow, FLibraryName, FFilterName, [this] { Stop(); });
        FNotice->show();
    });
    notice.start(NoticeDelayMs);
    qApp->installEventFilter(this);
    // The answer may have come between the poll and the notifier.
    if (!Readable(fd, 0))
        loop.exec();
    qApp->removeEventFilter(this);
    FLoop = nullptr;
    delete FNotice;
    return !FStopped;
}

void TFilterRunWait::Stop()
{
    if (FStopped)
        return;
    FStopped = true;
    if (FStopHelper)
        FStopHelper();
    if (FLoop)
        FLoop->quit();
}

bool TFilterRunWait::InNotice(QObject* watched) const
{
    if (!FNotice)
        return false;
    if (watched == FNotice->windowHandle())
        return true;
    auto* widget = qobject_cast<QWidget*>(watched);
    return widget && (widget == FNotice || FNotice->isAncestorOf(widget));
}

bool TFilterRunWait::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        Stop();
        return true;
    }
    if (event->type() == QEvent::ShortcutOverride) {
        // Accepted, no shortcut of the window fires while the filter runs.
        event->accept();
        return !InNotice(watched);
    }
    if (IsInput(event->type()))
        return !InNotice(watched);
    if (event->type() == QEvent::Close && FWindow && watched == FWindow->window()) {
        // The window stays until the filter has answered or been stopped.
        event->ignore();
        return true;
    }
    return false;
}
