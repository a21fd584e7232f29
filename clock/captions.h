#pragma once

#include <QString>

// The captions the game's buttons and flags show with a player's name, wherever they are shown.
namespace gameclock {

inline QString startCaption(const QString &name)
{
    return name + QStringLiteral(" begynner");
}

inline QString resumeCaption(const QString &name)
{
    return name + QStringLiteral(" sitt trekk");
}

inline const QString kFlagCaption = QStringLiteral("Klaffen har falt for ");

inline QString flagCaption(const QString &name)
{
    return kFlagCaption + name;
}

// With both flags down, the arbiter reads on the flags which one fell first.
inline QString flagCaption(const QString &name, bool fellFirst)
{
    return flagCaption(name) + (fellFirst ? QStringLiteral(" (først)") : QString());
}

} // namespace gameclock
