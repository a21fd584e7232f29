#pragma once

#include "speech/sentences.h"

namespace gameclock {
class Game;
class frmhoved;
} // namespace gameclock
namespace speech {
class Speaker;
}

namespace app {

// Makes the clock speak: a Ctrl key tapped alone reads both clocks, a Ctrl pressed while it speaks
// stops it; with "Vis > Les opp tiden" on, the start of a game, a fallen flag, each of a player's
// last five minutes and a lasting warning are said as they come.
// The speech module is loaded on first use, on the speaker's own thread. Returns the speaker.
speech::Speaker *connectSpeech(gameclock::frmhoved &main);

// The clock's state as the sentences read it, from the game.
speech::ClockState clockState(const gameclock::Game &game);

} // namespace app
