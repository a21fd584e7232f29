#include "sidetext.h"

#include "speech/words.h"

#include <QStringList>

namespace gameclock {

QString sideText(const SideView &side, Phase phase)
{
    // A read-out that is no time (only a damaged file brings one) is read as it stands.
    QString time = side.timeKnown ? speech::timeInWords((side.minutes * 60 + side.seconds) * 1000) : side.time;
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
