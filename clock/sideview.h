#pragma once

#include <QString>

#include <optional>

namespace gameclock {

// One player's side of the clock as every view shows it (read-outs, board view, screen reader,
// speech), whatever the time control: the views read this, never the controls behind it, so that a
// new kind of clock is shown everywhere by filling it once.
struct SideView {
    QString name;       // as the game uses it: an empty box reads as the default name
    QString time;       // as the clock shows it: the classic clock's minutes and seconds, "12:05"
    qint64 minutes = 0; // the whole minutes and seconds of that time
    int seconds = 0;
    bool timeKnown = true;   // false: a read-out that is no time (only a damaged file brings one)
    bool countsDown = false; // the time is what is left, not what was used
    bool running = false;    // this player's clock runs now
    bool toMove = false;     // this player has the move: running, or paused with the move
    bool flagFallen = false;
    bool fellFirst = false;   // both flags are down and this one fell first
    bool lowTime = false;     // the last minute before the flag
    std::optional<int> moves; // moves completed, where the control counts them
    // The time left to the millisecond; the classic clock's is its limit less the time used, below
    // zero once past it.
    qint64 leftMs = 0;
    // Where a face's hands stand on the 60-step dial: the classic clock's minutes and seconds; for a
    // count-down clock a mechanical chess clock's, the minute hand reaching twelve as the time runs out.
    // A read-out that is no number has no hand.
    std::optional<double> handMinutes = 0.0;
    std::optional<double> handSeconds = 0.0;
    bool operator==(const SideView &) const = default;
};

enum class Phase { SetUp, Running, Paused };

} // namespace gameclock
