#pragma once

// Internals of the line files that the tests reach into. Not for the rest of the program.

#include <QByteArray>
#include <QString>

namespace gamefiles::detail {

// The system's reason for an error number, as a Norwegian sentence without its full stop; the
// system's own text for a number we have no sentence for.
QString systemReason(int errorNumber);

} // namespace gamefiles::detail
