#include "app/wiring.h"
#include "clock/frmhoved.h"
#include "platform/appstyle.h"
#include "platform/signals.h"
#include "platform/singleinstance.h"

#include <QApplication>
#include <QDir>

#include <fontconfig/fontconfig.h>

#include <thread>

int main(int argc, char *argv[])
{
    // One clock per working directory, whose backup and settings files every start there shares: a
    // later start brings the running clock forward and ends before it opens anything.
    platform::SingleInstance instance(QDir::currentPath());
    if (instance.handOver())
        return 0;
    // The first text laid out waits for fontconfig to read its configuration, the largest single
    // step of a start; reading it while the application connects to the display saves that overlap.
    std::thread fonts([] { FcInit(); });
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Partivakt"));
    QApplication::setApplicationVersion(QStringLiteral(PARTIVAKT_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(PARTIVAKT_APP_ID));
    // Before the first window: the menu bar's constructor asks the style for its arrows.
    platform::installApplicationStyle();

    // Before the window lays out its first text.
    fonts.join();
    gameclock::frmhoved frmhoved;
    app::connectWindows(frmhoved);
    // Logging out or shutting down (SIGTERM), a closed terminal (SIGHUP) and Ctrl+C (SIGINT) end
    // the program as "Avslutt" does: the last counted second reaches the disk first.
    platform::EndRequests endRequests;
    QObject::connect(&endRequests, &platform::EndRequests::requested, &frmhoved, &gameclock::frmhoved::Avslutt_Click);
    app::answerLaterStarts(frmhoved, instance);
    frmhoved.show();
    return QApplication::exec();
}
