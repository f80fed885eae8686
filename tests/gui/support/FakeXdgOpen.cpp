#include "FakeXdgOpen.h"

#include <QFile>

namespace {

void Restore(const char* name, bool had, const QByteArray& value)
{
    if (had)
        qputenv(name, value);
    else
        qunsetenv(name);
}

} // namespace

TFakeXdgOpen::TFakeXdgOpen(const QByteArray& exitStatus)
    : FOldPath(qgetenv("PATH")),
      FOldStatus(qgetenv("FAKE_XDG_STATUS")),
      FOldLog(qgetenv("FAKE_XDG_LOG")),
      FHadStatus(qEnvironmentVariableIsSet("FAKE_XDG_STATUS")),
      FHadLog(qEnvironmentVariableIsSet("FAKE_XDG_LOG"))
{
    QFile script(FDir.filePath("xdg-open"));
    if (script.open(QIODevice::WriteOnly)) {
        script.write("#!/bin/sh\n"
                     "pwd >> \"$FAKE_XDG_LOG\"\n"
                     "for a in \"$@\"; do echo \"[$a]\" >> \"$FAKE_XDG_LOG\"; done\n"
                     "if [ \"$FAKE_XDG_STATUS\" = kill ]; then kill -9 $$; fi\n"
                     "exit $FAKE_XDG_STATUS\n");
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    }
    // Only the stand-in's folder and the system's: no real desktop handler can start.
    qputenv("PATH", (FDir.path() + QStringLiteral(":/usr/bin:/bin")).toUtf8());
    qputenv("FAKE_XDG_LOG", FDir.filePath("log").toUtf8());
    SetExitStatus(exitStatus);
}

TFakeXdgOpen::~TFakeXdgOpen()
{
    qputenv("PATH", FOldPath);
    Restore("FAKE_XDG_STATUS", FHadStatus, FOldStatus);
    Restore("FAKE_XDG_LOG", FHadLog, FOldLog);
}

void TFakeXdgOpen::SetExitStatus(const QByteArray& exitStatus)
{
    qputenv("FAKE_XDG_STATUS", exitStatus);
}

QByteArray TFakeXdgOpen::Log() const
{
    QFile log(FDir.filePath("log"));
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
}

bool TFakeXdgOpen::Ran() const
{
    return QFile::exists(FDir.filePath("log"));
}

void TFakeXdgOpen::ClearLog()
{
    QFile::remove(FDir.filePath("log"));
}

void TFakeXdgOpen::Remove()
{
    qputenv("PATH", FEmpty.path().toUtf8());
}

void WriteArgumentLogger(const QString& scriptPath, const QString& logPath)
{
    QFile script(scriptPath);
    if (!script.open(QIODevice::WriteOnly))
        return;
    const QByteArray log = logPath.toUtf8();
    script.write("#!/bin/sh\nfor a in \"$@\"; do echo \"[$a]\" >> \"" + log + ".part\"; done\n"
                 "mv \"" + log + ".part\" \"" + log + "\"\n");
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
}
