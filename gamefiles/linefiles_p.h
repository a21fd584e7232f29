#pragma once

// Internals of the line files that the tests reach into. Not for the rest of the program.

#include <QByteArray>
#include <QString>

namespace gamefiles::detail {

// The system's reason for an error number, as a Norwegian sentence without its full stop; the
// system's own text for a number we have no sentence for.
QString systemReason(int errorNumber);

// Whether a write starts with an unnamed new file (O_TMPFILE) where the file system has them; off,
// every write takes the named way that other file systems get. For the tests of both ways.
void setUnnamedFiles(bool on);

} // namespace gamefiles::detail
