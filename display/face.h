#pragma once

#include <QColor>

#include <functional>
#include <optional>

namespace toolkit {
class PictureBox;
}

namespace display {

// Face geometry in face pixels, origin at the box's top left.
inline constexpr int kCentreX = 100;
inline constexpr int kCentreY = 100;
inline constexpr int kRadius = 80;
inline constexpr double kMinuteHandLength = kRadius * 0.9;
inline constexpr double kSecondHandLength = kRadius;
inline const QColor kDiscColour{0, 128, 0};
inline const QColor kRimColour{255, 0, 0};

// One hand on a 60-step dial, 0 at twelve, clockwise, in the box's foreground colour and current
// draw width. A value that is not a number draws nothing.
void drawHand(toolkit::PictureBox &box, double x, double y, std::optional<double> value, double length);

// How one face draws a hand: (x, y, value, length), bound to its box.
using HandProcedure = std::function<void(double x, double y, std::optional<double> value, double length)>;

// The hands a face's canvas shows.
struct FaceHands {
    std::optional<double> minutes, seconds;
};

// Redraws one face from its minutes and seconds. The solid disc covers the previous hands.
// setFillColour is false for the refresh that leaves the box's fill colour as it stands.
// shown, when given, are the hands the canvas holds from the last refresh of this face, with the
// same colours and nothing drawn on it since: then only the part of the face the hands leave or
// reach is drawn again, and the canvas ends up as a face drawn whole would.
void faceRefresh(toolkit::PictureBox &box, std::optional<double> minutes, std::optional<double> seconds,
                 const HandProcedure &hand, bool setFillColour = true, const std::optional<FaceHands> &shown = {});

} // namespace display
