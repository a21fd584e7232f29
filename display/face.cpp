#include "face.h"

#include "toolkit/picturebox.h"

#include <QRegion>

#include <cmath>

namespace display {

// The dial was laid out with this value of pi; keeping it keeps the hands where they always were.
static constexpr double kPi = 3.14159;

static constexpr int kMinuteHandWidth = 3;
static constexpr int kSecondHandWidth = 1;

// Where a hand from (x, y) ends, or nothing for a value that puts it nowhere on the dial.
static std::optional<QPointF> handTip(double x, double y, std::optional<double> value, double length)
{
    if (!value)
        return std::nullopt;
    const double angle = *value * kPi / 30.0;
    const double dx = length * std::sin(angle);
    const double dy = length * std::cos(angle);
    // A value too large to turn into an angle has no place on the dial either.
    if (!std::isfinite(dx) || !std::isfinite(dy))
        return std::nullopt;
    return QPointF(x + dx, y - dy);
}

void drawHand(toolkit::PictureBox &box, double x, double y, std::optional<double> value, double length)
{
    if (const std::optional<QPointF> tip = handTip(x, y, value, length))
        box.line(float(x), float(y), float(tip->x()), float(tip->y()));
}

// The face pixels a hand of this width may touch. It is drawn through pixel centres, half its
// width to either side, with a smoothed edge; a pixel more on each side keeps any scale's rounding
// inside.
static QRect handReach(std::optional<double> value, double length, int width)
{
    const std::optional<QPointF> tip = handTip(kCentreX, kCentreY, value, length);
    if (!tip)
        return {};
    const double margin = width / 2.0 + 2.0;
    const QRectF segment = QRectF(QPointF(kCentreX, kCentreY), *tip).normalized();
    return segment.adjusted(-margin, -margin, margin + 1.0, margin + 1.0).toAlignedRect();
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

void faceRefresh(toolkit::PictureBox &box, std::optional<double> minutes, std::optional<double> seconds,
                 const HandProcedure &hand, bool setFillColour, const std::optional<FaceHands> &shown)
{
    using FillStyle = toolkit::PictureBox::FillStyle;
    // Outside the rectangle the old and the new hands reach, a face drawn whole would be bare disc
    // and rim, as the canvas already is: drawing that part again would give the same pixels. One
    // rectangle, not a region: a clip of several makes each of the disc's spans dearer than the few
    // pixels it would save.
    std::optional<QRect> moved;
    if (shown) {
        moved = QRect();
        if (shown->minutes != minutes)
            *moved |= handReach(shown->minutes, kMinuteHandLength, kMinuteHandWidth) |
                      handReach(minutes, kMinuteHandLength, kMinuteHandWidth);
        if (shown->seconds != seconds)
            *moved |= handReach(shown->seconds, kSecondHandLength, kSecondHandWidth) |
                      handReach(seconds, kSecondHandLength, kSecondHandWidth);
    }
    box.setFillStyle(FillStyle::Solid);
    if (setFillColour)
        box.setFillColor(kDiscColour);
    if (moved && moved->isEmpty()) {
        box.setFillStyle(FillStyle::Transparent);
        box.setDrawWidth(1);
        return;
    }
    if (moved)
        box.setClipRegion(*moved);
    box.circle(kCentreX, kCentreY, kRadius, kRimColour);
    box.setFillStyle(FillStyle::Transparent);
    // The hands' smoothed edges and round tips would reach past the rim by a fraction of a pixel,
    // where the next disc does not paint: keep them to the pixels inside the rim.
    static const QRegion inside = insideRim();
    box.setClipRegion(moved ? inside & *moved : inside);
    box.setDrawWidth(kMinuteHandWidth);
    hand(kCentreX, kCentreY, minutes, kMinuteHandLength);
    box.setDrawWidth(kSecondHandWidth);
    hand(kCentreX, kCentreY, seconds, kSecondHandLength);
    box.clearClip();
}

} // namespace display
