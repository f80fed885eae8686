#include "app/WaveOpener.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <exception>
#include <memory>
#include <new>

#include "app/WavesList.h"
#include "conversion/ConvertToWorkingFormat.h"
#include "conversion/SoundFileReader.h"
#include "platform/cursors.h"
#include "platform/dialogs.h"
#include "view/JvWavePlayer.h"
#include "wave/Wavs_ex.h"

QString CaptionFromFileName(const QString& fileName)
{
    const qsizetype separator = std::max(fileName.lastIndexOf(QLatin1Char('/')),
                                         fileName.lastIndexOf(QLatin1Char('\\')));
    QString name = fileName.mid(separator + 1);
    const qsizetype point = name.lastIndexOf(QLatin1Char('.'));
    if (point >= 0)
        name.truncate(point);
    return name;
}

QString OpenDialogFilter()
{
    QStringList patterns;
    for (const std::string& extension : SoundFileExtensions())
        patterns << QStringLiteral("*.") + QString::fromStdString(extension);
    QString filter = QStringLiteral("WAV Files (*.wav)|*.wav");
    if (!patterns.isEmpty())
        filter += QStringLiteral("|Sound files (") + patterns.join(QLatin1Char(' ')) + QStringLiteral(")|") +
                  patterns.join(QLatin1Char(';'));
    return filter + QStringLiteral("|All files (*)|*");
}

namespace {

// The WAV reader first; only a file that is no WAV at all is offered to the sound file
// reader. A damaged WAV keeps the WAV reader's verdict, and so does a file neither knows.
// Returns the notice for a file that ended before its header's length, or nothing.
QString LoadAnySoundFile(TTxWavStream& loading, const QString& fileName)
{
    const std::string name = QFile::encodeName(fileName).toStdString();
    TEndedEarly early;
    try {
        loading.LoadFromFile(name);
    } catch (const EWavStreamError& e) {
        if (e.Message() != WavText::NotAValidWav || !LoadSoundFile(name, loading, &early))
            throw;
    }
    if (early.Claimed == 0)
        return {};
    return QString::fromStdString(EndedEarlyText(fileName.toStdString(), early));
}

void ReportOpenError(const QString& fileName, const QString& message)
{
    Dialogs::ShowMessage(QStringLiteral("Error opening file \"") + fileName +
                         QStringLiteral("\": ") + message);
}

} // namespace

void TWaveOpener::OpenFiles(const QStringList& fileNames)
{
    try {
        // One loading wave for the whole command: each file replaces its content.
        auto loading = std::make_unique<TTxWavStream>();
        TCursorGuard hourglass(Qt::WaitCursor);
        for (const QString& fileName : fileNames) {
            try {
                const QString endedEarly = LoadAnySoundFile(*loading, fileName);
                auto wave = std::make_unique<TTxWavStream>();
                ConvertToWorkingFormat(FConvertor, *loading, *wave);
                FList.AppendEntry(CaptionFromFileName(fileName), std::move(wave));
                if (!endedEarly.isEmpty())
                    Dialogs::ShowMessage(endedEarly);
            } catch (const Exception& e) {
                ReportOpenError(fileName, QString::fromStdString(e.Message()));
            } catch (const std::bad_alloc&) {
                ReportOpenError(fileName, QString::fromUtf8(WavText::OutOfMemory));
            } catch (const std::exception& e) {
                ReportOpenError(fileName, QString::fromLocal8Bit(e.what()));
            }
        }
    } catch (const EStreamError&) {
        Dialogs::ShowMessage(QString::fromUtf8(WavText::OutOfMemory));
    } catch (const std::bad_alloc&) {
        Dialogs::ShowMessage(QString::fromUtf8(WavText::OutOfMemory));
    }
}

void TWaveOpener::OpenWithDialog()
{
    TFileDialogOptions options;
    options.Title = QStringLiteral("Open WAV");
    options.Filter = OpenDialogFilter();
    options.InitialDir = *FInitialDir;
    options.MultiSelect = true;
    const QStringList files = Dialogs::GetOpenFileNames(
        FDialogParent, options, [this](const QString& current) { Preview(current); });
    // The preview name is forgotten on every way out, so the next dialog previews again.
    struct TPreviewReset {
        QString& Name;
        ~TPreviewReset() { Name.clear(); }
    } previewReset{FPreviewName};
    if (files.isEmpty())
        return;
    *FInitialDir = QFileInfo(files.first()).absolutePath();
    OpenFiles(files);
}

void TWaveOpener::Preview(const QString& fileName)
{
    if (fileName == FPreviewName)
        return;
    const QFileInfo info(fileName);
    if (!info.isFile() || !fileName.toLower().endsWith(QLatin1String(".wav")))
        return;
    TJvWavePlayer& player = *FPreviewPlayer;
    player.SourceType = frFile;
    player.FileName = QFile::encodeName(fileName).toStdString();
    player.SetLoop(false);
    player.SetAsynchronous(true);
    // A preview that cannot play is not worth a message.
    player.Play();
    FPreviewName = fileName;
}
