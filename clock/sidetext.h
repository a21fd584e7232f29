#pragma once

#include "sideview.h"

#include <QString>

namespace gameclock {

// One player's side in words, for a screen reader: "Kari: 12 minutter 5 sekunder, trekker",
// "Ola: 4 minutter igjen, pause, klaffen har falt".
QString sideText(const SideView &side, Phase phase);

} // namespace gameclock
