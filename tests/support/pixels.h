#pragma once

// What a widget shows, read from its pixels: where a colour was drawn.

#include <QColor>
#include <QImage>
#include <QRect>
#include <QWidget>

#include <cstdlib>

namespace support {

// The widget as the screen would show it, one pixel per logical pixel (the tests' screens have a
// device pixel ratio of 1).
inline QImage pictureOf(QWidget *widget)
{
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The bounding box of the pixels within the area that are the colour, give or take the tolerance
// (the sum of the channels' differences: antialiased edges come close to it without being it).
inline QRect inkBounds(const QImage &image, const QRect &area, const QColor &colour, int tolerance = 90)
{
    QRect bounds;
    const QRect within = area & image.rect();
    const QRgb want = colour.rgb();
    for (int y = within.top(); y <= within.bottom(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = within.left(); x <= within.right(); ++x) {
            const QRgb c = line[x];
            if (std::abs(qRed(c) - qRed(want)) + std::abs(qGreen(c) - qGreen(want)) +
                    std::abs(qBlue(c) - qBlue(want)) <=
                tolerance)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

// The share of the area's pixels that are exactly the colour.
inline double shareOf(const QImage &image, const QRect &area, const QColor &colour)
{
    const QRect within = area & image.rect();
    if (within.isEmpty())
        return 0;
    qint64 count = 0;
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x)
            count += image.pixel(x, y) == colour.rgb();
    return double(count) / (qint64(within.width()) * within.height());
}

} // namespace support
