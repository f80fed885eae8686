#include "app/CommandLine.h"

#include <QFileInfo>

#include "app/Startup.h"

QStringList CommandLineFiles(const QStringList& arguments)
{
    QStringList files;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (i == 0 && (argument == QLatin1String(NoPluginSwitch) || argument == QLatin1String(NoDelaySwitch)))
            continue;
        // An empty argument names no file.
        if (argument.isEmpty())
            continue;
        files << QFileInfo(argument).absoluteFilePath();
    }
    return files;
}
