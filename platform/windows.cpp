#include "windows.h"

#include "twips.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace platform {

void placeOnScreenTwips(QWidget *window, int left, int top)
{
    // Positions on the screen count from the client area, which is what move() places for a
    // widget's geometry (the frame lies outside it).
    window->setGeometry(QRect(QPoint(twips(left), twips(top)), window->size()));
    keepOnScreen(window);
}

void keepOnScreen(QWidget *window)
{
    const QScreen *screen = QGuiApplication::screenAt(window->geometry().topLeft());
    if (!screen)
        screen = window->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    QRect g = window->geometry();
    g.moveLeft(std::max(area.left(), std::min(g.left(), area.right() + 1 - g.width())));
    g.moveTop(std::max(area.top(), std::min(g.top(), area.bottom() + 1 - g.height())));
    window->setGeometry(g);
}

} // namespace platform
