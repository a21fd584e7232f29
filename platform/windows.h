#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

namespace platform {

// A window exists at most once: the first show creates it (its load handling runs then), a later
// show only brings it to the front with its contents kept, and closing destroys it so that the
// next show starts afresh.
template <typename W>
W *showOnce(QPointer<W> &slot, const std::function<W *()> &create)
{
    if (!slot) {
        W *window = create();
        window->setAttribute(Qt::WA_DeleteOnClose);
        slot = window;
    }
    W *window = slot.data();
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

// Places a top-level window so that its client area starts at the given twips on the screen. The
// place is kept wherever the window fits; on a smaller screen it is moved in whole.
void placeOnScreenTwips(QWidget *window, int left, int top);
// Moves a window in whole where it reaches past the edge of its screen.
void keepOnScreen(QWidget *window);

} // namespace platform
