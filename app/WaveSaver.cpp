#include "app/WaveSaver.h"

#include <QFile>
#include <QFileInfo>

#include "platform/dialogs.h"
#include "wave/Exception.h"
#include "view/wavpaint.h"

void TWaveSaver::SaveWaveFileExecute()
{
    TTxWavStream& wave = *FPane.Wave();
    if (wave.Size() == 0)
        return;

    TFileDialogOptions options;
    options.Title = QStringLiteral("Save WAV");
    options.Filter = QStringLiteral("WAV Files (*.wav)|*.wav");
    options.DefaultExt = QStringLiteral("wav");
    options.OverwritePrompt = true;
    options.InitialDir = FInitialDir;
    options.FileName = FLastFileName;
    const QString fileName = Dialogs::GetSaveFileName(FParent, options);
    if (fileName.isEmpty())
        return;
    // The dialog keeps what was chosen, whether or not the file can then be written.
    FLastFileName = fileName;

    try {
        wave.SaveToFile(QFile::encodeName(fileName).toStdString());
    } catch (const EFWriteError& e) {
        // A full disk or a failing device is no fault of the program: the user reads
        // which file and why, and keeps working with the final wave.
        Dialogs::ShowMessage(QString::fromLocal8Bit(e.Message()) + QStringLiteral(" The final wave was not saved."));
        return;
    }
    // The pane shows the new name from its next repaint.
    FPane.WaveName = fileName;
    FInitialDir = QFileInfo(fileName).absolutePath();
}
