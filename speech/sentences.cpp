#include "sentences.h"

#include "words.h"

#include <QStringList>

#include <algorithm>

namespace speech {

namespace {

// How many minutes before the limit each whole minute is announced.
constexpr double kLastMinutes = 5;

QString minutesWord(double minutes)
{
    return minutes == 1 ? QStringLiteral("minutt") : QStringLiteral("minutter");
}

const PlayerState &side(const ClockState &state, bool playerA)
{
    return playerA ? state.a : state.b;
}

// A count-down clock's tick comes this far apart.
constexpr qint64 kTickMs = 1000;

} // namespace

QString spokenName(const PlayerState &player, bool playerA)
{
    const QString name = player.name.trimmed();
    if (!name.isEmpty())
        return name;
    return playerA ? QStringLiteral("Spiller A") : QStringLiteral("Spiller B");
}

QString timeSentence(const ClockState &state)
{
    QStringList parts;
    for (const bool playerA : {true, false}) {
        const PlayerState &p = side(state, playerA);
        if (p.leftMs) {
            parts << QStringLiteral("%1 %2 igjen, trekk %3.")
                         .arg(spokenName(p, playerA), timeInWords(*p.leftMs))
                         .arg(p.moves);
            continue;
        }
        if (!p.minutes) {
            parts << QStringLiteral("%1 %2.").arg(spokenName(p, playerA), p.shown);
            continue;
        }
        // The seconds follow the minutes without their word, as people say a time.
        parts << QStringLiteral("%1 %2 %3 %4.")
                     .arg(spokenName(p, playerA))
                     .arg(*p.minutes)
                     .arg(minutesWord(double(*p.minutes)))
                     .arg(p.seconds);
    }
    for (const bool playerA : {true, false})
        if (side(state, playerA).flagFallen)
            parts << flagSentence(state, playerA);
    switch (state.turn) {
    case Turn::A:
    case Turn::B:
        parts << spokenName(side(state, state.turn == Turn::A), state.turn == Turn::A) + QStringLiteral(" trekker.");
        break;
    case Turn::Paused:
        parts << QStringLiteral("Pause.");
        break;
    case Turn::None:
        break;
    }
    return parts.join(QLatin1Char(' '));
}

QString startSentence(const ClockState &state, bool playerA)
{
    const QString begins = spokenName(side(state, playerA), playerA) + QStringLiteral(" begynner.");
    if (state.a.leftMs && state.b.leftMs) {
        // A count-down clock: the time each player has, once when it is the same.
        if (*state.a.leftMs / 1000 == *state.b.leftMs / 1000)
            return QStringLiteral("%1 %2 per spiller.").arg(begins, timeInWords(*state.a.leftMs));
        return QStringLiteral("%1 %2 %3, %4 %5.")
            .arg(begins, spokenName(state.a, true), timeInWords(*state.a.leftMs), spokenName(state.b, false),
                 timeInWords(*state.b.leftMs));
    }
    return QStringLiteral("%1 %2 %3 per spiller.")
        .arg(begins, QString::number(state.limit, 'g', 15), minutesWord(state.limit));
}

QString flagSentence(const ClockState &state, bool playerA)
{
    return QStringLiteral("Klaffen har falt for %1.").arg(spokenName(side(state, playerA), playerA));
}

QString tickSentence(const ClockState &state, bool playerA, bool flagFell)
{
    if (flagFell)
        return flagSentence(state, playerA);
    const PlayerState &p = side(state, playerA);
    if (p.leftMs) {
        const qint64 left = *p.leftMs;
        if (left <= 0 || p.flagFallen)
            return {};
        // The last ten seconds, counted at each tick.
        if (left < 10 * 1000 + kTickMs / 2) {
            const qint64 seconds = (left + kTickMs / 2) / 1000;
            if (seconds == 10)
                return QStringLiteral("%1 10 sekunder igjen.").arg(spokenName(p, playerA));
            return QString::number(seconds);
        }
        // A whole minute passed since the last tick.
        const qint64 minute = (left + kTickMs) / 60000;
        if (minute >= 1 && minute <= kLastMinutes && minute * 60000 > left)
            return QStringLiteral("%1 %2 igjen.").arg(spokenName(p, playerA), countWords(minute, "minutt", "minutter"));
        return {};
    }
    // A minute begins when its seconds read 0; a tick never leaves them there otherwise.
    if (!p.minutes || p.seconds != 0)
        return {};
    const double left = state.limit - double(*p.minutes);
    // Whole minutes only: a limit that is no whole number never falls, and counts nothing down.
    if (left < 1 || left > kLastMinutes || left != double(qint64(left)))
        return {};
    return QStringLiteral("%1 %2 igjen.").arg(spokenName(p, playerA), countWords(qint64(left), "minutt", "minutter"));
}

QString Announcer::tick(const ClockState &state, bool playerA)
{
    const PlayerState &p = playerA ? state.a : state.b;
    // The classic clock counts every second it ticks; only a count-down clock can stand still.
    std::optional<qint64> &last = m_last[playerA ? 0 : 1];
    if (p.leftMs && last == p.leftMs)
        return {};
    last = p.leftMs;
    return tickSentence(state, playerA, false);
}

} // namespace speech
