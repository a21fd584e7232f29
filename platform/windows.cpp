#include "windows.h"

#include "twips.h"

namespace platform {

void placeOnScreenTwips(QWidget *window, int left, int top)
{
    // Positions on the screen count from the client area, which is what move() places for a
    // widget's geometry (the frame lies outside it).
    window->setGeometry(QRect(QPoint(twips(left), twips(top)), window->size()));
}

} // namespace platform
