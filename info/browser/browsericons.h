#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QList>

#include <array>

class QPainter;

namespace info {

// The browser's commands, each once: its key (the control's name for it), the text the user reads,
// the desktop icon theme's name for it, and how our own picture of it is drawn.
struct BrowserCommand {
    const char *key;
    const char *text;
    const char *themeIcon;
    void (*paint)(QPainter &p);
};
extern const std::array<BrowserCommand, 6> kBrowserCommands;

// Our own pictures of the commands, in the table's order. Each is 24 x 24 pixels on a silver ground.
inline constexpr int kBrowserPictureSize = 24;
inline const QColor kPictureGround(192, 192, 192);

QList<QImage> browserPictures();

// The toolbar icon of a command: the desktop's icon theme where it has one, else our own picture
// with its silver ground made transparent.
QIcon browserCommandIcon(const BrowserCommand &command, const QImage &ownPicture);

} // namespace info
