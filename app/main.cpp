#include "app/wiring.h"
#include "clock/frmhoved.h"
#include "platform/singleinstance.h"

#include <QApplication>
#include <QDir>

int main(int argc, char *argv[])
{
    // The browser engine may be loaded later from its module; it needs shared GL contexts from the start.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Partivakt"));
    QApplication::setApplicationVersion(QStringLiteral("2.0"));
    QApplication::setDesktopFileName(QStringLiteral(PARTIVAKT_APP_ID));

    // One clock per working directory: its backup and settings files are shared by every start there.
    platform::SingleInstance instance(QDir::currentPath());
    if (instance.claim() == platform::SingleInstance::Claim::HandedOver)
        return 0;

    gameclock::frmhoved frmhoved;
    app::connectWindows(frmhoved);
    app::answerLaterStarts(frmhoved, instance);
    frmhoved.show();
    return QApplication::exec();
}
