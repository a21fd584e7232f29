#pragma once

#include <QString>

namespace info {

// The maker's home page: shown in the About window and opened as the browser window's home.
inline const QString kMakerHomePage = QStringLiteral("https://partivakt.github.io/");

} // namespace info
