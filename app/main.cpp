#include "app/wiring.h"
#include "clock/frmhoved.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // The browser engine may be loaded later from its module; it needs shared GL contexts from the start.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Partivakt"));
    QApplication::setApplicationVersion(QStringLiteral(PARTIVAKT_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(PARTIVAKT_APP_ID));

    gameclock::frmhoved frmhoved;
    app::connectWindows(frmhoved);
    frmhoved.show();
    return QApplication::exec();
}
