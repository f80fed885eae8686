#pragma once
// Opening sound files into the Waves list: each file read (a WAV by the WAV reader, any
// other kind libsndfile knows by the sound file reader), converted to the working
// format and appended in order; each failure reported with the file's full name.

#include <QString>
#include <QStringList>

class QWidget;
class TACMConvertor;
class TJvWavePlayer;
class TWavesList;

// "door.open" for "/snd/door.open.wav"; a name without a point stays whole.
QString CaptionFromFileName(const QString& fileName);

// The open dialog's filter in the program's form: "WAV Files (*.wav)|*.wav" first, then
// "Sound files (...)" with every extension the installed libsndfile reads, then
// "All files (*)".
QString OpenDialogFilter();

class TWaveOpener {
public:
    // An opener of named files only, without the dialog.
    TWaveOpener(TACMConvertor& convertor, TWavesList& list) : FConvertor(convertor), FList(list) {}
    // The window's opener: the dialog over dialogParent starts in initialDir and keeps the
    // folder of the files chosen there; the file pointed at is previewed on previewPlayer.
    TWaveOpener(TACMConvertor& convertor, TWavesList& list, QWidget& dialogParent, QString& initialDir,
                TJvWavePlayer& previewPlayer)
        : FConvertor(convertor), FList(list), FDialogParent(&dialogParent), FInitialDir(&initialDir),
          FPreviewPlayer(&previewPlayer)
    {
    }
    // Opens files in order; shows one message per failing file. Hourglass meanwhile.
    void OpenFiles(const QStringList& fileNames);

    // "Open Wave": the multi-select open dialog with the preview, then OpenFiles.
    void OpenWithDialog();
    // The dialog's pointed-at file: a WAV file not previewed just before plays once.
    void Preview(const QString& fileName);
    // The file previewed last while the dialog is up; empty otherwise.
    const QString& PreviewName() const { return FPreviewName; }

private:
    TACMConvertor& FConvertor;
    TWavesList& FList;
    QWidget* FDialogParent = nullptr;
    QString* FInitialDir = nullptr;
    TJvWavePlayer* FPreviewPlayer = nullptr;
    QString FPreviewName;
};
