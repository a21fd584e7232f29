#include "app/wiring.h"
#include "clock/frmhoved.h"
#include "toolkit/appstyle.h"
#include "desktop/signals.h"
#include "desktop/singleinstance.h"

#include <QApplication>
#include <QDir>

int main(int argc, char *argv[])
{
    // One clock per working directory, whose backup and settings files every start there shares: a
    // later start brings the running clock forward and ends before it opens anything.
    desktop::SingleInstance instance(QDir::currentPath());
    if (instance.handOver())
        return 0;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Partivakt"));
    QApplication::setApplicationVersion(QStringLiteral(PARTIVAKT_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(PARTIVAKT_APP_ID));
    // Before the first window: the menu bar's constructor asks the style for its arrows.
    toolkit::installApplicationStyle();

    gameclock::frmhoved frmhoved;
    app::connectWindows(frmhoved);
    // Logging out or shutting down (SIGTERM), a closed terminal (SIGHUP) and Ctrl+C (SIGINT) end
    // the program as "Avslutt" does: the last counted second reaches the disk first.
    desktop::EndRequests endRequests;
    QObject::connect(&endRequests, &desktop::EndRequests::requested, &frmhoved, &gameclock::frmhoved::Avslutt_Click);
    app::answerLaterStarts(frmhoved, instance);
    frmhoved.show();
    return QApplication::exec();
}
