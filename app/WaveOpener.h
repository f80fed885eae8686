#pragma once
// Opening sound files into the Waves list: each file read (a WAV by the WAV reader, any
// other kind libsndfile knows by the sound file reader), converted to the working
// format and appended in order; each failure reported with the file's full name.

#include <QString>
#include <QStringList>

class TACMConvertor;
class TWavesList;

// "door.open" for "/snd/door.open.wav"; a name without a point stays whole.
QString CaptionFromFileName(const QString& fileName);

// The open dialog's filter in the program's form: "WAV Files (*.wav)|*.wav" first, then
// "Sound files (...)" with every extension the installed libsndfile reads, then
// "All files (*)".
QString OpenDialogFilter();

class TWaveOpener {
public:
    TWaveOpener(TACMConvertor& convertor, TWavesList& list) : FConvertor(convertor), FList(list) {}
    // Opens files in order; shows one message per failing file. Hourglass meanwhile.
    void OpenFiles(const QStringList& fileNames);

private:
    TACMConvertor& FConvertor;
    TWavesList& FList;
};
