#pragma once

// Internals of the line files that the tests reach into. Not for the rest of the program.

#include <QByteArray>
#include <QSaveFile>

#include <functional>

namespace gamefiles::detail {

// The step that puts a file's encoded bytes into its QSaveFile; returns the bytes written or -1.
using WriteStep = std::function<qint64(QSaveFile &file, const QByteArray &bytes)>;

// Tests replace the step to interrupt a write half-way; an empty step restores the real one.
void setWriteStep(WriteStep step);

} // namespace gamefiles::detail
