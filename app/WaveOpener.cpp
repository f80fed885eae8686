#include "app/WaveOpener.h"

#include <QFile>
#include <algorithm>
#include <exception>
#include <memory>
#include <new>

#include "app/WavesList.h"
#include "conversion/ConvertToWorkingFormat.h"
#include "platform/cursors.h"
#include "platform/dialogs.h"
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

namespace {

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
                loading->LoadFromFile(QFile::encodeName(fileName).toStdString());
                auto wave = std::make_unique<TTxWavStream>();
                ConvertToWorkingFormat(FConvertor, *loading, *wave);
                FList.AppendEntry(CaptionFromFileName(fileName), std::move(wave));
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
