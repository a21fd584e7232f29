#pragma once

// Pieces the save-as and open windows share.

#include <QLabel>
#include <QString>

namespace gamefiles::detail {

// The user's home directory, or the root where there is none: the counterpart of a first drive's root.
QString startDirectory();

// Shows a directory in the path label; a path too long for it shows its end, which names the
// directory itself, and the whole path is in the tooltip.
void showDirectory(QLabel *filbane, const QString &dir);

} // namespace gamefiles::detail
