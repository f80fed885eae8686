#pragma once
// Waiting for a filter that runs in the plug-in helper. A filter that answers at once
// is waited for like a call; one that takes longer leaves the window repainting under
// the hourglass while it takes no input, except Esc, which stops the plug-in, and after
// two seconds a notice with "Stop" that does the same.

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QEventLoop;
class QWidget;
class TFilterRunNotice;

class TFilterRunWait : public QObject {
public:
    TFilterRunWait(QWidget* window, QString libraryName, QString filterName);
    ~TFilterRunWait() override;

    // Waits until fd can be read (the helper answered, or it ended). stop ends the
    // helper. Returns false when the user stopped it.
    bool Wait(int fd, std::function<void()> stop);

    // The notice appears after this long.
    static constexpr int NoticeDelayMs = 2000;
    // A filter that answers within this is waited for without handling any event.
    static constexpr int QuietWaitMs = 100;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Stop();
    bool InNotice(QObject* watched) const;

    QWidget* FWindow;
    QString FLibraryName;
    QString FFilterName;
    std::function<void()> FStopHelper;
    QEventLoop* FLoop = nullptr;
    QPointer<TFilterRunNotice> FNotice;
    bool FStopped = false;
};
