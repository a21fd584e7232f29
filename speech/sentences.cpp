#include "sentences.h"

#include "clock/numbers.h"

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

QString unit(qint64 n, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QString::fromUtf8(n == 1 ? one : many));
}

// "1 time 5 minutter", "4 minutter 12 sekunder", "9 sekunder": whole seconds, the parts that are not 0.
QString timeLeft(qint64 ms)
{
    const qint64 s = std::max<qint64>(ms, 0) / 1000;
    QStringList parts;
    if (s >= 3600)
        parts << unit(s / 3600, "time", "timer");
    if (s / 60 % 60 != 0)
        parts << unit(s / 60 % 60, "minutt", "minutter");
    if (s < 3600 && (s % 60 != 0 || s < 60))
        parts << unit(s % 60, "sekund", "sekunder");
    return parts.join(QLatin1Char(' '));
}

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
            parts << QStringLiteral("%1 %2 igjen, trekk %3.").arg(spokenName(p, playerA), timeLeft(*p.leftMs)).arg(p.moves);
            continue;
        }
        const std::optional<double> minutes = gameclock::strictNumber(p.minutes);
        // The seconds follow the minutes without their word, as people say a time.
        parts << QStringLiteral("%1 %2 %3 %4.")
                     .arg(spokenName(p, playerA), p.minutes, minutesWord(minutes.value_or(0)), p.seconds);
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
            return QStringLiteral("%1 %2 per spiller.").arg(begins, timeLeft(*state.a.leftMs));
        return QStringLiteral("%1 %2 %3, %4 %5.")
            .arg(begins, spokenName(state.a, true), timeLeft(*state.a.leftMs), spokenName(state.b, false),
                 timeLeft(*state.b.leftMs));
    }
    const double limit = gameclock::numericValue(state.limit);
    return QStringLiteral("%1 %2 %3 per spiller.").arg(begins, gameclock::numberToText(limit), minutesWord(limit));
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
            return QStringLiteral("%1 %2 igjen.").arg(spokenName(p, playerA), unit(minute, "minutt", "minutter"));
        return {};
    }
    // A minute begins when its seconds read 0; a tick never leaves them there otherwise.
    const std::optional<double> minutes = gameclock::strictNumber(p.minutes);
    if (!minutes || gameclock::strictNumber(p.seconds) != 0.0)
        return {};
    const double left = gameclock::numericValue(state.limit) - *minutes;
    // Whole minutes only: a limit that is no whole number never falls, and counts nothing down.
    if (left < 1 || left > kLastMinutes || left != double(qint64(left)))
        return {};
    return QStringLiteral("%1 %2 %3 igjen.").arg(spokenName(p, playerA), gameclock::numberToText(left), minutesWord(left));
}

} // namespace speech
