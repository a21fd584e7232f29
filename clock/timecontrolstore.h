#pragma once

// The time control a user chose and the controls of their own, kept per user with QSettings beside
// the other preferences, never in def.dur or a game file.

#include "timecontrol.h"

namespace gameclock {

struct ChosenControl {
    TimeControl control; // Klassisk when nothing else was chosen or the choice is gone
    QString note;        // why the choice could not be taken, for the user; empty when it was
};

// Reads nothing at all when the user never kept a preference: a classic start opens no settings.
ChosenControl chosenControl();
// Each returns why it could not be kept, for the user, or an empty text.
QString chooseControl(const QString &name);
std::vector<TimeControl> ownControls();
// Keeps the control under its name, replacing an own control of the same name.
QString keepOwnControl(const TimeControl &control);
QString removeOwnControl(const QString &name);

} // namespace gameclock
