#include "view/LocalTimeText.h"

#include <QLocale>

#include "wave/TimeText.h"

QString LocalTimeText(int64_t samples)
{
    QString text = QString::fromStdString(SamplesToTimeText(samples, '.'));
    const QString point = QLocale().decimalPoint();
    if (point != QStringLiteral("."))
        text.replace(QLatin1Char('.'), point);
    return text;
}
