#include "app/StartupFiles.h"

#include <QEvent>
#include <QWidget>

TStartupFiles::TStartupFiles(QObject* parent, QWidget* waitFor, QStringList files,
                             std::function<void(const QStringList&)> open)
    : QObject(parent), FWaitFor(waitFor), FFiles(std::move(files)), FOpen(std::move(open))
{
    if (FWaitFor && FWaitFor->isVisible())
        FWaitFor->installEventFilter(this);
    else
        OpenSoon();
}

bool TStartupFiles::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == FWaitFor && event->type() == QEvent::Hide) {
        FWaitFor->removeEventFilter(this);
        // Queued: the scan that hides the splash finishes first.
        OpenSoon();
    }
    return false;
}

void TStartupFiles::OpenSoon()
{
    QMetaObject::invokeMethod(
        this,
        [this] {
            FOpen(FFiles);
            deleteLater();
        },
        Qt::QueuedConnection);
}
