#pragma once

// The time limit per player, in whole minutes, as the main window's start and the options window
// keep it. The defaults (names and limit) are the settings file's: gamefiles::SettingsValues.

namespace gameclock {

inline constexpr double kLimitHighest = 60;
// The lowest limit a game can start with when A begins; B beginning gets the longer minimum.
inline constexpr double kLimitLowestA = 1;
inline constexpr double kLimitLowestB = 10;

} // namespace gameclock
