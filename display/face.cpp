#include "face.h"

#include "platform/picturebox.h"

#include <QRegion>

#include <cmath>

namespace display {

// The dial was laid out with this value of pi; keeping it keeps the hands where they always were.
static constexpr double kPi = 3.14159;

void drawHand(platform::PictureBox &box, double x, double y, std::optional<double> value, double length)
{
    if (!value)
        return;
    const double angle = *value * kPi / 30.0;
    const double dx = length * std::sin(angle);
    const double dy = length * std::cos(angle);
    // A value too large to turn into an angle has no place on the dial either.
    if (!std::isfinite(dx) || !std::isfinite(dy))
        return;
    box.line(float(x), float(y), float(x + dx), float(y - dy));
}

// The pixels whose centres lie within half a pixel inside the rim's centre line. Hands are drawn
// through pixel centres, so the face's centre is the middle of pixel (kCentreX, kCentreY).
static QRegion insideRim()
{
    const double r = kRadius - 0.5;
    QRegion region;
    for (int y = kCentreY - kRadius; y <= kCentreY + kRadius; ++y) {
        const double dy = y - kCentreY;
        if (std::abs(dy) > r)
            continue;
        const int half = int(std::floor(std::sqrt(r * r - dy * dy)));
        region += QRect(kCentreX - half, y, 2 * half + 1, 1);
    }
    return region;
}

void faceRefresh(platform::PictureBox &box, std::optional<double> minutes, std::optional<double> seconds,
                 const HandProcedure &hand, bool setFillColour)
{
    using FillStyle = platform::PictureBox::FillStyle;
    box.setFillStyle(FillStyle::Solid);
    if (setFillColour)
        box.setFillColor(kDiscColour);
    box.circle(kCentreX, kCentreY, kRadius, kRimColour);
    box.setFillStyle(FillStyle::Transparent);
    // The hands' smoothed edges and round tips would reach past the rim by a fraction of a pixel,
    // where the next disc does not paint: keep them to the pixels inside the rim.
    static const QRegion inside = insideRim();
    box.setClipRegion(inside);
    box.setDrawWidth(3);
    hand(kCentreX, kCentreY, minutes, kMinuteHandLength);
    box.setDrawWidth(1);
    hand(kCentreX, kCentreY, seconds, kSecondHandLength);
    box.clearClip();
}

} // namespace display
