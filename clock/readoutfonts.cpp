#include "readoutfonts.h"

#include <algorithm>
#include <cmath>

namespace gameclock {

namespace {

constexpr double kCountdownReadoutScale = 1.7;

double readoutGrowth(qreal zoom)
{
    return 1.0 + 0.1 * std::max<qreal>(0.0, zoom - 1.0);
}

QFont scaledFont(QFont font, double scale)
{
    if (font.pixelSize() > 0)
        font.setPixelSize(int(std::lround(font.pixelSize() * scale)));
    else
        font.setPointSizeF(font.pointSizeF() * scale);
    return font;
}

} // namespace

QFont classicReadoutFont(const QFont &layout, qreal zoom)
{
    return zoom <= 1.0 ? QFont() : scaledFont(layout, readoutGrowth(zoom));
}

QFont countdownReadoutFont(const QFont &layout, qreal zoom)
{
    QFont font = scaledFont(layout, kCountdownReadoutScale * readoutGrowth(zoom));
    font.setBold(true);
    return font;
}

} // namespace gameclock
