#include "app/PluginFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/dynlib.h"

#ifndef SONOVANE_PLUGIN_SUBFOLDER
#define SONOVANE_PLUGIN_SUBFOLDER "../lib/sonovane/plugins"
#endif

namespace {

bool HoldsPlugins(const QString& folder)
{
    // The scan's own search, so "beside the program" means exactly what the scan finds.
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((folder + QStringLiteral("*.txf")).toLocal8Bit().constData(), &data);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return true;
}

} // namespace

QString InstalledPluginSubfolder()
{
    return QStringLiteral(SONOVANE_PLUGIN_SUBFOLDER);
}

QString PluginFolder(const QString& programDir)
{
    if (HoldsPlugins(programDir))
        return programDir;
    const QFileInfo installed(programDir + InstalledPluginSubfolder());
    if (installed.isDir())
        return QDir::cleanPath(installed.absoluteFilePath()) + QLatin1Char('/');
    return programDir;
}

QString UsePluginFolder(const QString& programDir)
{
    const QString folder = PluginFolder(programDir);
    if (folder != programDir)
        SetLibraryFolder(QFile::encodeName(folder).toStdString());
    return folder;
}
