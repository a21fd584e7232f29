#pragma once

#include <QString>

// What the clock says, in Norwegian, from the clock's state: short sentences that a fast voice
// reads in a second or two. Numbers stay digits; the voice reads them as numbers.
namespace speech {

struct PlayerState {
    QString name;             // as typed; empty is read as "Spiller A" or "Spiller B"
    QString minutes, seconds; // the read-outs
    bool flagFallen = false;
};

enum class Turn { None, A, B, Paused };

struct ClockState {
    PlayerState a, b;
    Turn turn = Turn::None; // None before a game starts
    QString limit;          // the time limit's text, in minutes
};

// The name a player is read out with.
QString spokenName(const PlayerState &player, bool playerA);

// Both clocks, for a player who asks: "Kari 12 minutter 5. Ola 8 minutter 40. Kari trekker."
QString timeSentence(const ClockState &state);

// A game starts: whose clock runs and the time each player has. "Kari begynner. 1 minutt per spiller."
QString startSentence(const ClockState &state, bool playerA);

// "Klaffen har falt for Kari."
QString flagSentence(const ClockState &state, bool playerA);

// What a second counted on a player's clock brings to say: the flag when it fell at this second,
// else, when one of the player's last five minutes before the limit begins, the minutes left
// ("Kari 4 minutter igjen."). Empty when there is nothing to say.
QString tickSentence(const ClockState &state, bool playerA, bool flagFell);

} // namespace speech
