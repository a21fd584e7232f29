#pragma once

#include "clock/countdown.h"
#include "clock/moverecord.h"

#include <QList>

namespace support {

// The record of a count-down game played in virtual time: A first, then in turn, each move taking the
// ms given; the time left after each move holds its increment.
inline gameclock::MoveRecords playedRecord(const gameclock::TimeControl &control, const QList<qint64> &moveMs)
{
    gameclock::Countdown game(control);
    qint64 now = 1000;
    game.resume(gameclock::Player::A, now);
    gameclock::MoveRecords record;
    for (const qint64 ms : moveMs) {
        const gameclock::Player p = game.turn();
        game.finishMove(now += ms);
        record.push_back({p, game.moves(p), ms, game.leftMs(p, now), 0});
    }
    return record;
}

} // namespace support
