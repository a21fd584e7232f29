#pragma once

// Time controls, free of widgets: what a control is, the presets, the bounds of a user's own
// control, and the text form kept in the settings and in game files.

#include <QString>

#include <optional>
#include <vector>

namespace gameclock {

// What a player's clock is given for each move of a stage.
enum class Bonus {
    None,
    Fischer,   // the increment is added after each of the player's moves (and once before move 1)
    Bronstein, // the time used on a move is given back after it, up to the delay
    Delay,     // the clock waits the delay at each move before it counts down
};

struct Stage {
    qint64 baseMs = 0; // added to the clock when the stage begins (the first: the starting time)
    int moves = 0;     // moves of this stage; 0: the rest of the game
    Bonus bonus = Bonus::None;
    qint64 bonusMs = 0; // the increment or the delay
    bool operator==(const Stage &) const = default;
};

// One player's stages, the first one first. Only the last may be the rest of the game.
using Stages = std::vector<Stage>;

struct TimeControl {
    QString name;
    // No stages: the classic clock, counting up to the limit in whole seconds.
    Stages a, b;
    bool classic() const { return a.empty(); }
    const Stages &stages(bool playerA) const { return playerA ? a : b; }
    bool operator==(const TimeControl &) const = default;
};

inline constexpr qint64 kMaxBaseMs = (9 * 3600 + 59 * 60 + 59) * 1000LL;
inline constexpr qint64 kMaxBonusMs = 600 * 1000LL;
inline constexpr int kMaxStages = 3;
inline constexpr int kMaxStageMoves = 999;
// The longest name a control may have: room for a club's name and its control.
inline constexpr int kMaxControlNameLength = 60;

// The classic clock's entry, "Klassisk".
TimeControl classicControl();
// The controls on offer, Klassisk first.
const std::vector<TimeControl> &presets();
// The preset of that name, if there is one.
std::optional<TimeControl> presetNamed(const QString &name);

// Why a control cannot be played, naming the field in Norwegian, or nothing when it can.
std::optional<QString> whyInvalid(const TimeControl &control);

// The stage a player is in after completing that many moves.
int stageAfter(const Stages &stages, int moves);
// The time the stages after the first add up to once that many moves are completed.
qint64 stageTimeAfter(const Stages &stages, int moves);
// The time on a player's clock before the first move: the first stage's time, with its increment
// where the control gives one before move 1.
qint64 startingTime(const Stages &stages);

// The control's rules as one line of text, for the settings and the game file:
// "A 900000/0/F/10000 | B 900000/0/F/10000", a stage as time/moves/bonus/bonus time in ms.
QString rulesText(const TimeControl &control);
// Reads a line rulesText wrote; nothing when it is not one, or not a control that can be played.
std::optional<TimeControl> parseRules(const QString &name, const QString &text);

// A time as the clock shows what is left: H:MM:SS from one hour, M:SS below, M:SS.t in the last
// ten seconds (whole tenths, never rounded up).
QString clockText(qint64 ms);
// A duration typed by the user: H:MM:SS, M:SS, or whole minutes. Nothing when it is no duration.
std::optional<qint64> parseDuration(const QString &text);
// A duration for a form field: H:MM:SS or M:SS, whole seconds.
QString durationText(qint64 ms);

} // namespace gameclock
