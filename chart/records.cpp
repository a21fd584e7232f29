#include "records.h"

#include <QStringList>

#include <cstdlib>

namespace chart {

using gameclock::MoveRecord;
using gameclock::Player;

namespace {

struct Unit {
    const char *shortName;
    const char *one;
    const char *many;
};
constexpr Unit kHours = {"t", "time", "timer"};
constexpr Unit kMinutes = {"min", "minutt", "minutter"};
constexpr Unit kSeconds = {"s", "sekund", "sekunder"};

QString amount(qint64 n, const QString &number, const Unit &unit, Words words)
{
    const char *name = words == Words::Short ? unit.shortName : n == 1 ? unit.one : unit.many;
    return number + QLatin1Char(' ') + QString::fromUtf8(name);
}

// A name as one CSV field: quoted where it holds a separator, a quote or a line break, and kept
// from reading as a formula in a spreadsheet (a name typed as "=..." would otherwise run there).
QString csvField(QString text)
{
    if (!text.isEmpty() && QStringLiteral("=+-@\t\r").contains(text.front()))
        text.prepend(QLatin1Char('\''));
    if (text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\r')) ||
        text.contains(QLatin1Char('\n')))
        return QLatin1Char('"') + text.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    return text;
}

} // namespace

QString durationText(qint64 ms, bool classic, Words words)
{
    const bool negative = ms < 0;
    const qint64 whole = std::llabs(ms);
    const qint64 seconds = whole / 1000;
    const qint64 hours = seconds / 3600;
    const qint64 minutes = seconds / 60 % 60;
    const qint64 secondsPart = seconds % 60;
    const qint64 millis = whole % 1000;
    QStringList parts;
    if (hours > 0)
        parts << amount(hours, QString::number(hours), kHours, words);
    if (minutes > 0)
        parts << amount(minutes, QString::number(minutes), kMinutes, words);
    if (!classic && millis > 0) {
        // Norwegian writes a decimal comma; a fraction is read in the plural ("1,5 sekunder").
        const QString number = QStringLiteral("%1,%2").arg(secondsPart).arg(millis, 3, 10, QLatin1Char('0'));
        parts << amount(2, number, kSeconds, words);
    } else if (secondsPart > 0 || parts.isEmpty()) {
        parts << amount(secondsPart, QString::number(secondsPart), kSeconds, words);
    }
    return (negative && whole >= (classic ? 1000 : 1) ? QStringLiteral("-") : QString()) + parts.join(QLatin1Char(' '));
}

QString clockText(qint64 ms)
{
    const qint64 seconds = std::llabs(ms) / 1000;
    return QStringLiteral("%1%2:%3")
        .arg(ms < 0 ? QStringLiteral("-") : QString())
        .arg(seconds / 60)
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

PlayerSummary summarize(const gameclock::MoveRecords &records, Player player, bool classic)
{
    PlayerSummary summary;
    for (const MoveRecord &move : records) {
        if (move.player != player)
            continue;
        ++summary.moves;
        summary.totalMs += move.usedMs;
        if (!summary.longest || move.usedMs > summary.longest->usedMs)
            summary.longest = move;
    }
    if (summary.moves > 0) {
        summary.averageMs = summary.totalMs / summary.moves;
        if (classic)
            summary.averageMs = (summary.totalMs / summary.moves + 500) / 1000 * 1000;
    }
    return summary;
}

QString longestMoveText(const QString &name, const PlayerSummary &summary, bool classic)
{
    // All arguments in one call: a name holding "%2" must stay as typed.
    if (!summary.longest)
        return QStringLiteral("Lengste trekk: %1, ingen trekk ennå").arg(name);
    return QStringLiteral("Lengste trekk: %1, trekk %2, %3")
        .arg(name, QString::number(summary.longest->number), durationText(summary.longest->usedMs, classic));
}

QString summaryText(const QString &name, const PlayerSummary &summary, bool classic, Words words)
{
    if (!summary.longest)
        return QStringLiteral("%1: ingen trekk ennå.").arg(name);
    return QStringLiteral("%1: %2 trekk, i alt %3, i snitt %4 per trekk, lengste trekk nummer %5 på %6.")
        .arg(name, QString::number(summary.moves), durationText(summary.totalMs, classic, words),
             durationText(summary.averageMs, classic, words), QString::number(summary.longest->number),
             durationText(summary.longest->usedMs, classic, words));
}

QByteArray recordCsv(const gameclock::MoveRecords &records, const QString &nameA, const QString &nameB)
{
    QString csv = QStringLiteral("trekk,spiller,navn,brukt_ms,brukt,igjen_ms,igjen\r\n");
    const QString names[2] = {csvField(nameA), csvField(nameB)};
    for (const MoveRecord &move : records) {
        const QString fields[] = {QString::number(move.number),
                                  move.player == Player::A ? QStringLiteral("A") : QStringLiteral("B"),
                                  names[gameclock::at(move.player)],
                                  QString::number(move.usedMs),
                                  clockText(move.usedMs),
                                  QString::number(move.leftMs),
                                  clockText(move.leftMs)};
        for (const QString &field : fields)
            csv += field + QLatin1Char(',');
        csv.chop(1);
        csv += QStringLiteral("\r\n");
    }
    return csv.toUtf8();
}

} // namespace chart
