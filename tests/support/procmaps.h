#pragma once

// What a process has in its memory, read from /proc/PID/maps: the tests' one reader of it.

#include <QFile>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace support {

// The files a process (0: this one) has mapped whose paths match wanted, each once, in the order
// of the maps. Maps that cannot be read give "(maps of PID unreadable)" in place of the files, so
// that a check for none fails rather than passes.
inline QStringList mappedFiles(const QRegularExpression &wanted, qint64 pid = 0)
{
    const QString name = pid == 0 ? QStringLiteral("self") : QString::number(pid);
    QFile maps(QStringLiteral("/proc/%1/maps").arg(name));
    if (!maps.open(QIODevice::ReadOnly))
        return {QStringLiteral("(maps of %1 unreadable)").arg(name)};
    QStringList found;
    for (const QByteArray &line : maps.readAll().split('\n')) {
        // The path is the sixth field and may hold blanks.
        const qsizetype slash = line.indexOf('/');
        const QString path = slash < 0 ? QString() : QString::fromLocal8Bit(line.mid(slash));
        if (!path.isEmpty() && wanted.match(path).hasMatch() && !found.contains(path))
            found << path;
    }
    return found;
}

// Whether a process (0: this one) has a file mapped whose path matches wanted; false when its maps
// cannot be read.
inline bool mapsFile(const QRegularExpression &wanted, qint64 pid = 0)
{
    const QStringList found = mappedFiles(wanted, pid);
    return !found.isEmpty() && found.first().startsWith(QLatin1Char('/'));
}

} // namespace support
