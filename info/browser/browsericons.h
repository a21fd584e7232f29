#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QList>

namespace info {

// The pictures of the six browser commands, in this order: Back, Forward, Stop, Refresh, Home,
// Search. Each is 24 x 24 pixels on a silver ground.
inline constexpr int kBrowserPictureSize = 24;
inline const QColor kPictureGround(192, 192, 192);

QList<QImage> browserPictures();

// The toolbar icon of a command: the desktop's icon theme where it has one, else our picture
// with its silver ground made transparent.
QIcon browserCommandIcon(int index);

} // namespace info
