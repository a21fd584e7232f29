#pragma once

// A game played in virtual time under a count-down control, as a record of its moves: what the game
// keeps for the chart of move times and the count-down file.

#include "clock/countdown.h"
#include "clock/moverecord.h"

#include <QList>

namespace support {

// The players move in turn, A first; each entry is the ms a move took. The record holds each move's
// player, the player's move number, the time it took and the time left after it, increment included.
inline gameclock::MoveRecords playedRecord(const gameclock::TimeControl &control, const QList<qint64> &moveMs)
{
    gameclock::Countdown game(control);
    qint64 now = 1000;
    game.resume(gameclock::kA, now);
    gameclock::MoveRecords record;
    for (const qint64 ms : moveMs) {
        const int player = game.turn();
        now += ms;
        game.finishMove(now);
        record.push_back(
            {gameclock::playerOf(player == gameclock::kA), game.moves(player), ms, game.leftMs(player, now), 0});
    }
    return record;
}

} // namespace support
