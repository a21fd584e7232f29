#include "words.h"

#include <QStringList>

#include <algorithm>

namespace speech {

QString countWords(qint64 n, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QString::fromUtf8(n == 1 ? one : many));
}

QString timeInWords(qint64 ms)
{
    const qint64 s = std::max<qint64>(ms, 0) / 1000;
    QStringList parts;
    if (s >= 3600)
        parts << countWords(s / 3600, "time", "timer");
    if (s / 60 % 60 != 0)
        parts << countWords(s / 60 % 60, "minutt", "minutter");
    if (s < 3600 && (s % 60 != 0 || s < 60))
        parts << countWords(s % 60, "sekund", "sekunder");
    return parts.join(QLatin1Char(' '));
}

} // namespace speech
