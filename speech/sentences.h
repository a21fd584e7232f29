#pragma once

#include <QString>

#include <optional>

// What the clock says, in Norwegian, from the clock's state: short sentences that a fast voice
// reads in a second or two. Numbers stay digits; the voice reads them as numbers.
namespace speech {

struct PlayerState {
    QString name; // as typed; empty is read as "Spiller A" or "Spiller B"
    // The classic clock's time used, in whole minutes and seconds; nothing where the read-out is no
    // time (only a damaged file brings one), which is then said as it stands.
    std::optional<qint64> minutes{};
    int seconds = 0;
    QString shown{};
    bool flagFallen = false;
    // A count-down clock: the time left, to the millisecond, and the moves completed.
    std::optional<qint64> leftMs{};
    int moves = 0;
};

enum class Turn { None, A, B, Paused };

struct ClockState {
    PlayerState a, b;
    Turn turn = Turn::None; // None before a game starts
    double limit = 60;      // the classic clock's limit, in minutes
};

// The name a player is read out with.
QString spokenName(const PlayerState &player, bool playerA);

// Both clocks, for a player who asks: "Kari 12 minutter 5. Ola 8 minutter 40. Kari trekker."
// A count-down clock says what is left and the moves: "Kari 4 minutter 12 sekunder igjen, trekk 23."
QString timeSentence(const ClockState &state);

// A game starts: whose clock runs and the time each player has. "Kari begynner. 1 minutt per spiller."
QString startSentence(const ClockState &state, bool playerA);

// "Klaffen har falt for Kari."
QString flagSentence(const ClockState &state, bool playerA);

// What a second counted on a player's clock brings to say: the flag when it fell at this second,
// else, when one of the player's last five minutes before the limit begins, the minutes left
// ("Kari 4 minutter igjen."). A count-down clock, whose seconds come a second apart from the switch
// on, says each of the last five whole minutes it passed and counts its last ten seconds ("Kari 10
// sekunder igjen.", then "9", "8", ...). Empty when there is nothing to say.
QString tickSentence(const ClockState &state, bool playerA, bool flagFell);

// The seconds as a game goes: a clock that stood still since the last second (a delay runs before
// it counts down) has nothing new to say.
class Announcer {
public:
    QString tick(const ClockState &state, bool playerA);
    // A new game, a restore, a correction: every time is new again.
    void forget() { m_last[0] = m_last[1] = std::nullopt; }

private:
    std::optional<qint64> m_last[2];
};

} // namespace speech
