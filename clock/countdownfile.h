#pragma once

// A count-down game in a game file. The first seven lines stay a game file that any reader of seven
// lines opens as a classic game: each player's time left is the limit of line 7 less the time of
// lines 1 to 4, to the second. Everything the seven cannot carry follows them, one line each, a
// word saying what the line holds:
//
//   Partivakt nedtelling 1
//   kontroll=15 min + 10 s
//   regler=A 900000/0/F/10000 | B 900000/0/F/10000
//   igjen=812345 905000        (ms left, A and B)
//   brukt=1234                 (ms spent on the move under way)
//   trekk=12 11
//   faser=0 0
//   tur=A
//   klaffer=0 0                (1: fell first, 2: fell second)
//   slutt
//
// and, once a move was made, the record of the moves, a line each: the player, the player's move
// number, the ms it took, the ms left after it and the pauses during it. A reader of the lines above
// stops at "slutt" and never sees them.
//
//   trekktider 1
//   A 1 5234 895766 0
//   trekktider slutt

#include "countdown.h"
#include "moverecord.h"

#include <QStringList>

namespace gameclock {

// The seven lines' read-outs and limit for a classic reader (minutes and seconds used of the limit).
struct ClassicView {
    QString mina, seka, minb, sekb, stans;
};
ClassicView classicView(const CountdownState &state);

// The lines after the seventh. A record longer than a file holds keeps its latest moves.
QStringList countdownLines(const TimeControl &control, const CountdownState &state, const MoveRecords &records = {});

struct CountdownRead {
    enum class Kind {
        None,      // seven lines and nothing more: a classic game
        Countdown, // a whole, sound count-down game
        Unknown,   // further lines that are not ours: the classic game of the seven
        Damaged,   // our lines, but not whole or not sound: refused
    };
    Kind kind = Kind::None;
    TimeControl control;
    CountdownState state;
    QString reason; // Damaged: why, in Norwegian
    // Countdown: the moves as the file recorded them. Move lines that are damaged never refuse the
    // game: it opens without them, and recordNote says so, in Norwegian.
    MoveRecords records;
    QString recordNote;
};
CountdownRead readCountdownLines(const QStringList &further);

} // namespace gameclock
