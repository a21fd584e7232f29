#include "app/wiring.h"
#include "clock/frmhoved.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Partivakt"));
    QApplication::setApplicationVersion(QStringLiteral("2.0"));
    QApplication::setDesktopFileName(QStringLiteral(PARTIVAKT_APP_ID));

    gameclock::frmhoved frmhoved;
    app::connectWindows(frmhoved);
    frmhoved.show();
    return QApplication::exec();
}
