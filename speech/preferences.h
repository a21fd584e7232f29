#pragma once

#include "speech/speaker.h"

#include <QString>

// What a player chose about speech, kept per user in the desktop's configuration directory
// (QSettings under the program's organization and application names), never in the game's files.
namespace speech {

struct Preferences {
    bool announce = false; // spoken announcements: off, so that the clock stays silent unless asked
    double rate = kDefaultRate;
    bool operator==(const Preferences &) const = default;
};

Preferences loadPreferences();
// Empty when saved, else why not, for the user.
QString savePreferences(const Preferences &preferences);

} // namespace speech
