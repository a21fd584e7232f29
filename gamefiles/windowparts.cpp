#include "windowparts_p.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>

namespace gamefiles::detail {

QString startDirectory()
{
    const QString home = QDir::homePath();
    return QFileInfo(home).isDir() ? home : QDir::rootPath();
}

void showDirectory(QLabel *filbane, const QString &dir)
{
    const QString shown = QDir::toNativeSeparators(dir);
    filbane->setText(shown);
    filbane->setToolTip(shown);
    const bool fits = filbane->fontMetrics().horizontalAdvance(shown) <= filbane->contentsRect().width();
    filbane->setAlignment(Qt::AlignVCenter | (fits ? Qt::AlignLeft : Qt::AlignRight));
}

} // namespace gamefiles::detail
