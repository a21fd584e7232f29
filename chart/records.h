#pragma once

// The record of a game's moves as people and other programs read it: durations in words, each
// player's total, average and longest move, and the record as CSV. No widgets, no chart library.

#include "clock/moverecord.h"

#include <QByteArray>
#include <QRgb>
#include <QString>

#include <array>
#include <optional>

namespace chart {

// The players' colours in the chart and beside their names: blue and vermilion, which stay apart
// for every common kind of colour blindness, each at 3:1 or more against white.
inline constexpr std::array<QRgb, 2> kPlayerColours = {0xff0072b2, 0xffd55e00};
constexpr QRgb playerColour(gameclock::Player p)
{
    return kPlayerColours[gameclock::at(p)];
}

// How a duration is written: "4 min 12 s" beside the chart, "4 minutter 12 sekunder" for a screen
// reader, which would read the short units as letters.
enum class Words { Short, Long };

// A duration in hours, minutes and seconds. The classic clock counts whole seconds; a count-down
// clock's milliseconds are kept ("12,345 s").
QString durationText(qint64 ms, bool classic, Words words = Words::Short);
// "m:ss", the minutes not wrapped into hours, "-m:ss" below zero; whole seconds, never rounded up.
QString clockText(qint64 ms);

struct PlayerSummary {
    int moves = 0;
    qint64 totalMs = 0;
    qint64 averageMs = 0; // the classic clock's to the whole second
    // The longest move, the first of equals; none without moves.
    std::optional<gameclock::MoveRecord> longest;
};
PlayerSummary summarize(const gameclock::MoveRecords &records, gameclock::Player player, bool classic);

// "Lengste trekk: Kari, trekk 23, 4 min 12 s".
QString longestMoveText(const QString &name, const PlayerSummary &summary, bool classic);
// One sentence per player: moves, total, average and longest move.
QString summaryText(const QString &name, const PlayerSummary &summary, bool classic, Words words);

// The record as CSV (RFC 4180, UTF-8, CR LF): a header line, then one row per move in the order
// played: move, player, name, time used and time left, each in ms and as m:ss.
QByteArray recordCsv(const gameclock::MoveRecords &records, const QString &nameA, const QString &nameB);

} // namespace chart
