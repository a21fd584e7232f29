#pragma once

#include <QRect>
#include <QWidget>

namespace toolkit {

// Layout unit of the windows: 1/1440 inch, 15 to a logical pixel. Qt scales logical pixels on
// HiDPI screens, so positions stay right at any scale.
inline constexpr int kTwipsPerPixel = 15;

constexpr int twips(int t)
{
    // Round half away from zero, as the positions were drawn on a 96 dpi grid.
    return t >= 0 ? (t + kTwipsPerPixel / 2) / kTwipsPerPixel : -((-t + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

// Where a control's place in twips is kept, so that a zoomed layout can scale it.
inline constexpr char kTwipsProperty[] = "partivaktTwips";

inline void placeTwips(QWidget *widget, int left, int top, int width, int height)
{
    widget->setProperty(kTwipsProperty, QRect(left, top, width, height));
    widget->setGeometry(twipsRect(left, top, width, height));
}

} // namespace toolkit
