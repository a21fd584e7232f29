#pragma once

#include <QFont>

namespace gameclock {

// The fonts of the main window's read-outs at a zoom of the layout, from the layout's font. The
// figures are what the other chair must read: above 100 % they grow a little faster than the rest,
// as far as their boxes allow; a count-down game's, read from across the board, are larger still.
// At 100 % the classic read-outs keep the layout's own font: nothing (an invalid font's family).
QFont classicReadoutFont(const QFont &layout, qreal zoom);
QFont countdownReadoutFont(const QFont &layout, qreal zoom);

} // namespace gameclock
