#pragma once

#include <QString>

#include <functional>

class QSettings;

// The user's preferences that no file of the game's can carry (the time control chosen, the user's
// own controls, speech, the board's sides, the hall), kept with QSettings in the XDG configuration
// directory. Every part of the program reads and keeps them here, the same way.
namespace toolkit {

// Where they are kept on this system, found without opening them.
QString preferencesFile();

// Reads them through read; a user who never kept one has no file, and nothing is opened: a start
// reads no configuration. Returns whether there was a file.
bool readPreferences(const std::function<void(QSettings &)> &read);

// Changes them through write and puts them on the disk. Returns why they could not be kept, in
// Norwegian, beginning with what: "<what> kan ikke lagres i <file>."; empty when they were.
QString keepPreferences(const QString &what, const std::function<void(QSettings &)> &write);

} // namespace toolkit
