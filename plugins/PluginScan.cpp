#include "plugins/PluginScan.h"

#include <QApplication>
#include <QWidget>

#include "about/Unit2.h"
#include "platform/cursors.h"
#include "platform/dialogs.h"
#include "platform/dynlib.h"

TPluginScan::TPluginScan(QWidget* mainWindow, TAboutBox* splash, const QString& programDir,
                         bool noDelay)
    : Pause([](uint32_t ms) { Sleep(ms); }),
      FMainWindow(mainWindow), FSplash(splash), FProgramDir(programDir), FNoDelay(noDelay)
{
}

void TPluginScan::Wait(uint32_t milliseconds)
{
    if (!FNoDelay && Pause)
        Pause(milliseconds);
}

int TPluginScan::Run()
{
    // The window is drawn completely before the pauses block the thread.
    if (FMainWindow)
        FMainWindow->repaint();
    QApplication::processEvents();

    TCursorGuard hourglass(Qt::WaitCursor);
    int found = 0;
    WIN32_FIND_DATAA data;
    const QByteArray pattern = (FProgramDir + QStringLiteral("*.txf")).toLocal8Bit();
    HANDLE search = FindFirstFileA(pattern.constData(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            ++found;
            const QString fileName = QString::fromLocal8Bit(data.cFileName);
            if (FSplash)
                FSplash->WritePluginLine(QStringLiteral("Plugins: ") + fileName);
            try {
                if (LoadLibrary)
                    LoadLibrary(fileName);
            } catch (...) {
                Dialogs::ShowMessage(QStringLiteral("Error loading plugin \"") + fileName +
                                     QLatin1Char('"'));
            }
            Wait(PauseAfterLibrary);
        } while (FindNextFileA(search, &data));
        FindClose(search);
    }
    Wait(PauseAfterScan);

    if (FSplash) {
        FSplash->WritePluginLine(QString());
        FSplash->hide();
    }
    return found;
}
