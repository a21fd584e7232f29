#pragma once

// Qt's offscreen platform with one screen of a size of the test's choosing (its own is smaller).

#include "tests/support/files.h"

#include <QTemporaryDir>

#include <memory>

namespace support {

// Call before the application is made; the screen's description lives as long as what is returned
// (null when it could not be written).
inline std::unique_ptr<QTemporaryDir> useOffscreenScreen(int width, int height)
{
    auto dir = std::make_unique<QTemporaryDir>();
    const QString file = dir->filePath(QStringLiteral("screens.json"));
    const QByteArray json = QStringLiteral(R"({"screens":[{"name":"s","x":0,"y":0,"width":%1,"height":%2,)"
                                           R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})")
                                .arg(width)
                                .arg(height)
                                .toUtf8();
    if (!writeRaw(file, json))
        return nullptr;
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + file.toUtf8());
    return dir;
}

} // namespace support
