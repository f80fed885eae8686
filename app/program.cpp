// Sonovane: an editor for short sound effects.
#include <QDir>
#include <QGuiApplication>

#include "app/Application.h"
#include "app/Startup.h"
#include "app/main.h"

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    // Desktops match the window to the installed "org.example.Sonovane.desktop" entry (name, icon).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Sonovane"));
    TStartup startup = RunStartup(app.arguments().mid(1));
    // Files to show at once, separated like PATH (demonstrations, screenshots).
    const QString demo = qEnvironmentVariable("SONOVANE_DEMO_WAVE");
    if (!demo.isEmpty())
        startup.Form1->LoadDemoWaves(demo.split(QDir::listSeparator(), Qt::SkipEmptyParts));
    return app.exec();
}
