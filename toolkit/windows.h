#pragma once

#include <QFont>
#include <QLabel>
#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

namespace toolkit {

// A window exists at most once: the first show creates it (its load handling runs then), a later
// show only brings it to the front with its contents kept, and closing destroys it so that the
// next show starts afresh. created, when given, tells whether this show made the window.
template <typename W> W *showOnce(QPointer<W> &slot, const std::function<W *()> &create, bool *created = nullptr)
{
    if (created)
        *created = !slot;
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

// The face every window's layout was drawn for: a small condensed one keeps each caption in its place.
QFont layoutFont();

// Sets up one of the program's windows beside the main window: modeless, in the layout's face, with a
// client area of the given size placed at the given point of the screen, all in twips. The window
// itself is made without an owner.
void setUpWindow(QWidget *window, int left, int top, int width, int height);

// Chains the focus through the controls in the order given.
void setTabChain(const QList<QWidget *> &order);

// Says why a command did not go through, below a window's fixed layout of the given size in twips.
// Hidden until there is something to say; the window then grows to hold the reason whole.
class ReasonLabel : public QLabel {
    Q_OBJECT
public:
    ReasonLabel(QWidget *window, int layoutWidth, int layoutHeight);

    void showReason(const QString &reason);

private:
    int m_layoutWidth, m_layoutHeight;
};

// Places a top-level window so that its client area starts at the given twips on the screen. The
// place is kept wherever the window fits; on a smaller screen it is moved in whole.
void placeOnScreenTwips(QWidget *window, int left, int top);
// Moves a window in whole where it reaches past the edge of its screen.
void keepOnScreen(QWidget *window);

} // namespace toolkit
