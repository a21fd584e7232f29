#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace hall {

// What one board of a hall shows, as its clock publishes it and every reader of the hall sees it.
enum class Side : unsigned char { None, A, B };
enum class GamePhase : unsigned char { SetUp, Running, Paused };

struct SideState {
    QString name;
    // Time left as of the message: a count-down clock's own; the classic clock's limit less the time
    // used, which runs below zero past the limit.
    qint64 leftMs = 0;
    std::optional<int> moves; // moves completed, where the clock counts them
    int flag = 0;             // 0 standing, 1 fell first, 2 fell second
    bool operator==(const SideState &) const = default;
};

struct BoardState {
    int board = 0; // 1 to 999
    QString hall;
    QString control; // the time control's name
    SideState a, b;
    Side toMove = Side::None; // none in set-up
    GamePhase phase = GamePhase::SetUp;
    Side lastPlayer = Side::None; // who made the last move, and what it took
    qint64 lastMoveMs = 0;
    quint64 seq = 0; // grows with every message of one clock's run
    // The board's clock left the hall (its will, or the clock said so).
    bool gone = false;
    bool operator==(const BoardState &) const = default;
};

inline constexpr int kMaxBoard = 999;

} // namespace hall
