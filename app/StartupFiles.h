#pragma once
// Opening the files named on the command line once start-up is over: after the plug-in
// scan has closed the splash, so that a file that fails is reported in front of the
// window rather than behind the splash, and the scan is not held up by a message
// waiting for its OK.

#include <QObject>
#include <QStringList>
#include <functional>

class QWidget;

class TStartupFiles : public QObject {
public:
    // open runs once with files, from the message loop: as soon as it runs when waitFor
    // is null or hidden already, else once waitFor has been hidden. Deletes itself
    // afterwards; goes with parent (the window) if that goes first.
    TStartupFiles(QObject* parent, QWidget* waitFor, QStringList files,
                  std::function<void(const QStringList&)> open);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OpenSoon();

    QWidget* FWaitFor;
    QStringList FFiles;
    std::function<void(const QStringList&)> FOpen;
};
