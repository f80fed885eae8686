#pragma once
// Puts a stand-in xdg-open first on PATH for its lifetime, so tests see exactly what
// the shell layer asks the desktop to open and choose the exit status it gets back.
// Each run appends its working folder and then each argument in brackets to Log():
//   "/the/folder\n[mailto:sonovane@example.org]\n"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

class TFakeXdgOpen {
public:
    // exitStatus: a number, or "kill" to end by a signal.
    explicit TFakeXdgOpen(const QByteArray& exitStatus = "0");
    ~TFakeXdgOpen();
    TFakeXdgOpen(const TFakeXdgOpen&) = delete;
    TFakeXdgOpen& operator=(const TFakeXdgOpen&) = delete;

    void SetExitStatus(const QByteArray& exitStatus);
    QByteArray Log() const;
    bool Ran() const;
    void ClearLog();
    QString Folder() const { return FDir.path(); }

    // Leaves PATH without any xdg-open (an empty folder only) until destruction.
    void Remove();

private:
    QTemporaryDir FDir;
    QTemporaryDir FEmpty;
    QByteArray FOldPath, FOldStatus, FOldLog;
    bool FHadStatus, FHadLog;
};

// Writes an executable script at scriptPath that, when run, writes each of its
// arguments in brackets on a line of logPath (the log appears whole, once complete).
void WriteArgumentLogger(const QString& scriptPath, const QString& logPath);
