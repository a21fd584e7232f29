#pragma once

// A game under a count-down control, free of widgets: each player's time left to the millisecond,
// the moves made, the stage, whose move it is and the flags with the order they fell. Time is
// given to it as readings of a monotonic clock in milliseconds; it keeps no timer of its own.

#include "player.h"
#include "timecontrol.h"

#include <array>

namespace gameclock {

// A game's state at one moment, as a file holds it; each pair A's first.
struct CountdownState {
    std::array<qint64, 2> leftMs{}; // as the clocks show it, never below zero
    qint64 usedMs = 0;              // spent so far on the move under way (delays and give-backs count it)
    std::array<int, 2> moves{};
    std::array<int, 2> stages{};
    Player turn = Player::A;     // whose move it is (or was, when paused)
    std::array<int, 2> fellAs{}; // 0: the flag stands; 1: it fell first; 2: second
    bool operator==(const CountdownState &) const = default;
};

// Where the hands of a mechanical chess clock stand with that much time left, on a 60-step dial:
// the time to go to the full hour, so that the minute hand reaches twelve as the time runs out
// (minutes creep with the seconds, as a real minute hand does).
struct Dial {
    double minutes;
    int seconds;
};
Dial mechanicalDial(qint64 leftMs);

class Countdown {
public:
    // The state before the first move.
    explicit Countdown(const TimeControl &control);
    // A state read back; nothing when it cannot belong to the control (a damaged file).
    static std::optional<Countdown> restore(const TimeControl &control, const CountdownState &state);
    static std::optional<QString> whyNot(const TimeControl &control, const CountdownState &state);

    const TimeControl &control() const { return m_control; }
    Player turn() const { return m_turn; }

    // The player's clock starts, or goes on after a pause, at now. Resuming with the other player
    // than the one who had the move ends that move uncompleted: the time it took stays used, and
    // no move is counted or time added.
    void resume(Player player, qint64 now);
    // The running player completes a move: its time is charged, the increment or give-back added,
    // the move counted (the next stage's time added at its move count), and the other clock starts.
    void finishMove(qint64 now);
    // Both clocks stop; the move under way keeps the time it has taken.
    void stop(qint64 now);

    // Time left on a player's clock at now (the running one counting), never below zero.
    qint64 leftMs(Player player, qint64 now) const;
    // The running clock checked at now: the player whose flag fell, if one did.
    std::optional<Player> settle(qint64 now);
    bool fallen(Player player) const { return m_fellAs[at(player)] != 0; }
    int fellAs(Player player) const { return m_fellAs[at(player)]; }
    bool fellFirst(Player player) const { return m_fellAs[at(player)] == 1 && m_fellAs[at(other(player))] == 2; }
    int moves(Player player) const { return m_moves[at(player)]; }
    int stage(Player player) const { return m_stage[at(player)]; }

    CountdownState state(qint64 now) const;

    // The arbiter's correction of a stopped game: the time left and the moves made. The stage
    // follows the moves. A fallen flag stays down; a time of zero drops a flag that stood.
    void correct(Player player, qint64 leftMs, int moves);

private:
    const Stage &currentStage(Player player) const;
    // Time charged for a move that has taken usedMs, before anything is given back.
    qint64 charged(Player player, qint64 usedMs) const;
    qint64 usedNow(qint64 now) const;
    void fall(Player player);

    TimeControl m_control;
    // For the player to move: the time left when the move began; for the other: the time left.
    std::array<qint64, 2> m_left{};
    std::array<int, 2> m_moves{};
    std::array<int, 2> m_stage{};
    std::array<int, 2> m_fellAs{};
    Player m_turn = Player::A;
    qint64 m_used = 0; // of the move under way, up to the last stop
    qint64 m_since = 0;
    bool m_running = false;
};

} // namespace gameclock
