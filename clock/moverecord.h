#pragma once

#include "player.h"

#include <QtGlobal>

#include <vector>

namespace gameclock {

// One completed move, as the game records it for the chart of move times and the tournament hall.
struct MoveRecord {
    Player player = Player::A;
    int number = 0; // the player's own move number, 1 for the first
    // What the move took on the player's clock, pauses left out. The classic clock counts whole
    // seconds, so its moves are whole seconds too.
    qint64 usedMs = 0;
    // The time on the player's clock after the move, any increment or give-back included. The
    // classic clock's is its limit less the time used, negative once past the limit.
    qint64 leftMs = 0;
    int pauses = 0; // how often the game was paused during the move
    bool operator==(const MoveRecord &) const = default;
};

using MoveRecords = std::vector<MoveRecord>;

} // namespace gameclock
