#pragma once

#include "hall/boardstate.h"

namespace gameclock {
class Game;
class frmhoved;
} // namespace gameclock

namespace app {

// The board as the clock publishes it to its hall, from the game as it stands now. The board
// number, the hall and the sequence number are the publisher's to fill in.
hall::BoardState boardState(const gameclock::Game &game);

// Makes the clock a board of a hall: "Spill > Turnering..." joins and leaves, the choice is kept
// and taken up at the next start, and while joined the board is published at every change and once
// a second. Joining or leaving never touches the game; the network never runs on this thread.
void connectHall(gameclock::frmhoved &main);

} // namespace app
