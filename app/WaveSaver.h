#pragma once
// "Save Wave": the whole final wave written to a WAV file the user names in the save
// dialog. The only way the program writes sound to disk.

#include <QString>

class QWidget;
class TWavPaintBox;

class TWaveSaver {
public:
    // initialDir is the save dialog's initial folder the window keeps ("SavePath"); a
    // successful save moves it to the folder of the file written.
    TWaveSaver(QWidget* parent, TWavPaintBox& finalPane, QString& initialDir)
        : FParent(parent), FPane(finalPane), FInitialDir(initialDir)
    {
    }

    // Nothing for an empty final wave. Otherwise the save dialog; unless cancelled, the
    // whole wave is written, the pane takes the file's full name as its WaveName and the
    // folder becomes the file's. Bytes that do not reach the disk are told in a message
    // naming the file and the reason; other errors (a file that cannot be created) reach
    // the unhandled-error report. Either way the pane's name and the folder stay.
    void SaveWaveFileExecute();

    // The name chosen last in this run, which the dialog proposes again; empty at first.
    const QString& LastFileName() const { return FLastFileName; }

private:
    QWidget* FParent;
    TWavPaintBox& FPane;
    QString& FInitialDir;
    QString FLastFileName;
};
