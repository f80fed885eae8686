#pragma once
// Opening WAV files into the Waves list: each file read, converted to the working
// format and appended in order; each failure reported with the file's full name.

#include <QString>
#include <QStringList>

class TACMConvertor;
class TWavesList;

// "door.open" for "/snd/door.open.wav"; a name without a point stays whole.
QString CaptionFromFileName(const QString& fileName);

class TWaveOpener {
public:
    TWaveOpener(TACMConvertor& convertor, TWavesList& list) : FConvertor(convertor), FList(list) {}
    // Opens files in order; shows one message per failing file. Hourglass meanwhile.
    void OpenFiles(const QStringList& fileNames);

private:
    TACMConvertor& FConvertor;
    TWavesList& FList;
};
