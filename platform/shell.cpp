#include "platform/shell.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

int FromXdgOpenStatus(int status)
{
    switch (status) {
    case 0: return ShellExecuteSuccess;
    case 1: return ERROR_BAD_FORMAT;
    case 2: return SE_ERR_FNF;
    case 3: return SE_ERR_NOASSOC;
    case 5: return SE_ERR_ACCESSDENIED;
    default: return SE_ERR_DDEFAIL;  // 4, and whatever a future xdg-open may add
    }
}

QString Resolved(const QString& file, const QString& directory)
{
    if (directory.isEmpty() || QDir::isAbsolutePath(file))
        return file;
    return QDir(directory).filePath(file);
}

} // namespace

int ShellExecuteA(QWidget* parent, const QString& verb, const QString& file,
                  const QString& parameters, const QString& directory, int showCommand)
{
    (void)parent;
    (void)showCommand;

    if (!verb.isEmpty() && verb.compare(QLatin1String("open"), Qt::CaseInsensitive) != 0)
        return SE_ERR_NOASSOC;
    if (file.isEmpty())
        return SE_ERR_FNF;

    // A program is started itself, which is the only way it can receive parameters.
    const QFileInfo target(Resolved(file, directory));
    if (target.isFile() && target.isExecutable()) {
        const bool started = QProcess::startDetached(target.absoluteFilePath(),
                                                     QProcess::splitCommand(parameters),
                                                     directory);
        return started ? ShellExecuteSuccess : ERROR_BAD_FORMAT;
    }

    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return SE_ERR_NOASSOC;

    auto* process = new QProcess(QCoreApplication::instance());
    process->setProgram(opener);
    process->setArguments({file});
    if (!directory.isEmpty())
        process->setWorkingDirectory(directory);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start();
    if (!process->waitForStarted(ShellWaitMs)) {
        delete process;
        return SE_ERR_NOASSOC;
    }
    if (!process->waitForFinished(ShellWaitMs)) {
        // Still busy: the opened program runs on. Let the process object go when it ends
        // instead of killing it here.
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return ShellExecuteSuccess;
    }
    const int result = process->exitStatus() == QProcess::NormalExit
                           ? FromXdgOpenStatus(process->exitCode())
                           : SE_ERR_DDEFAIL;
    delete process;
    return result;
}
