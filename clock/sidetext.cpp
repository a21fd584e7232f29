#include "sidetext.h"

#include <QStringList>

namespace gameclock {

QString sideText(const SideView &side, Phase phase)
{
    QString time;
    // A read-out that is no time (only a damaged file brings one) is read as it stands. A count-down
    // clock's is always a time, in whole minutes (past the hour too) and seconds.
    const QString shown = QStringLiteral("%1:%2").arg(side.minutes).arg(side.seconds, 2, 10, QLatin1Char('0'));
    if (side.countsDown || side.time == shown)
        time = QStringLiteral("%1 %2 %3 %4")
                   .arg(side.minutes)
                   .arg(side.minutes == 1 ? QStringLiteral("minutt") : QStringLiteral("minutter"))
                   .arg(side.seconds)
                   .arg(side.seconds == 1 ? QStringLiteral("sekund") : QStringLiteral("sekunder"));
    else
        time = side.time;
    if (side.countsDown)
        time += QStringLiteral(" igjen");
    QStringList states;
    if (side.running)
        states << QStringLiteral("trekker");
    else if (phase == Phase::Paused)
        states << (side.toMove ? QStringLiteral("pause, skal trekke") : QStringLiteral("pause"));
    if (side.lowTime)
        states << QStringLiteral("siste minutt");
    if (side.flagFallen)
        states << (side.fellFirst ? QStringLiteral("klaffen falt først") : QStringLiteral("klaffen har falt"));
    if (side.moves && *side.moves > 0)
        states << QStringLiteral("%1 trekk").arg(*side.moves);
    states.prepend(side.name + QStringLiteral(": ") + time);
    return states.join(QStringLiteral(", "));
}

} // namespace gameclock
