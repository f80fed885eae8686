#include "app/DroppedFiles.h"

#include <QMimeData>
#include <QUrl>

QStringList DroppedFiles(const QMimeData* mime)
{
    QStringList files;
    if (!mime || !mime->hasUrls())
        return files;
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile())
            files << url.toLocalFile();
    return files;
}
