#include "face.h"

#include "platform/picturebox.h"

#include <cmath>

namespace display {

// The dial was laid out with this value of pi; keeping it keeps the hands where they always were.
static constexpr double kPi = 3.14159;

void drawHand(platform::PictureBox &box, double x, double y, std::optional<double> value, double length)
{
    if (!value || !std::isfinite(*value))
        return;
    const double angle = *value * kPi / 30.0;
    const double dx = length * std::sin(angle);
    const double dy = length * std::cos(angle);
    box.line(float(x), float(y), float(x + dx), float(y - dy));
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
    box.setDrawWidth(3);
    hand(kCentreX, kCentreY, minutes, kMinuteHandLength);
    box.setDrawWidth(1);
    hand(kCentreX, kCentreY, seconds, kSecondHandLength);
}

} // namespace display
