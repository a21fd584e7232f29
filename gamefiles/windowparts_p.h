#pragma once

// Pieces the save-as and open windows share.

#include "platform/controls.h"

#include <QGroupBox>
#include <QLabel>
#include <QString>
#include <QWidget>

namespace gameclock {
class frmhoved;
}

namespace gamefiles::detail {

// The user's home directory, or the root where there is none: the counterpart of a first drive's root.
QString startDirectory();

QGroupBox *makeFrame(QWidget *parent, const char *name, const QString &caption);
platform::CommandButton *makeButton(QWidget *parent, const char *name, const QString &caption);
// The hidden label below a window's fixed layout that says why a command did not go through.
QLabel *makeReasonLabel(QWidget *window);

// Sets up a file window as the other windows of the program: no owner, modeless, the main
// window's small face, the client area and place given in twips.
void setUpWindow(QWidget *window, gameclock::frmhoved &main, int width, int height);

// Shows a directory in the path label; a path too long for it shows its end, which names the
// directory itself, and the whole path is in the tooltip.
void showDirectory(QLabel *filbane, const QString &dir);

// Shows the reason under the window's fixed layout, growing the window to hold it whole.
void showReason(QWidget *window, QLabel *melding, int width, int height, const QString &reason);

} // namespace gamefiles::detail
