// Sonovane: an editor for short sound effects.
#include <QDir>
#include <QGuiApplication>

#include "app/Application.h"
#include "app/SessionRecovery.h"
#include "app/Startup.h"
#include "app/main.h"
#include "recovery/RecoveryStore.h"

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    // Desktops match the window to the installed "org.example.Sonovane.desktop" entry (name, icon).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Sonovane"));
    // The waves of a program that ended without closing are offered before anything shows.
    TSessionRecovery recovery(QString::fromLocal8Bit(TRecoveryStore::DefaultRoot().c_str()));
    recovery.AskAtStart();
    TStartup startup = RunStartup(app.arguments().mid(1));
    startup.Form1->KeepForRecovery(recovery);
    // Files to show at once, separated like PATH (demonstrations, screenshots).
    const QString demo = qEnvironmentVariable("SONOVANE_DEMO_WAVE");
    if (!demo.isEmpty())
        startup.Form1->LoadDemoWaves(demo.split(QDir::listSeparator(), Qt::SkipEmptyParts));
    const int code = app.exec();
    // Closed properly: the waves need not come back.
    recovery.EndSession();
    return code;
}
