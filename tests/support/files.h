#pragma once

// The tests' one pair of file helpers, and the bytes of a line file.

#include <QByteArray>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QString>

#include <initializer_list>

// A file's bytes, or "<none>" when it cannot be read: a missing file never equals an empty one.
inline QByteArray readRaw(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

// Replaces a file's bytes; false when it cannot.
inline bool writeRaw(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Values as a line file holds them, each followed by CR LF.
inline QByteArray crlfLines(std::initializer_list<const char *> values)
{
    QByteArray out;
    for (const char *value : values)
        out += QByteArray(value) + "\r\n";
    return out;
}

// Every entry below a directory with its bytes, so a test can show that nothing was written, no
// temporary file was left behind and nothing was replaced.
inline QMap<QString, QByteArray> snapshot(const QString &dir)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        entries.insert(path, it.fileInfo().isDir() ? QByteArray("<dir>") : readRaw(path));
    }
    return entries;
}
