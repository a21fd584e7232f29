#include "wiring.h"

#include "clock/frmhoved.h"
#include "gamefiles/frmlagresom.h"
#include "gamefiles/frmopne.h"
#include "info/browser/browserloader.h"
#include "info/frmom.h"
#include "info/rules.h"
#include "platform/screensaver.h"
#include "platform/singleinstance.h"
#include "settings/frmalt.h"

#include <QAction>

namespace app {

void connectWindows(gameclock::frmhoved &main)
{
    using gameclock::frmhoved;
    QObject::connect(&main, &frmhoved::optionsRequested, &main, [&main] { settings::showOptions(main); });
    QObject::connect(&main, &frmhoved::aboutRequested, &main, [&main] { info::showAbout(main); });
    QObject::connect(&main, &frmhoved::rulesRequested, &main, [&main] { info::showRules(main); });
    QObject::connect(&main, &frmhoved::saveAsRequested, &main, [&main] { gamefiles::showSaveAs(main); });
    QObject::connect(&main, &frmhoved::openRequested, &main, [&main] { gamefiles::showOpen(main); });
    // The browser engine loads only now, on the first open; where it cannot, the menu says why.
    if (const QString why = info::browserUnavailableReason(); !why.isEmpty()) {
        main.Nettleser->setText(QStringLiteral("&Nettleser (ikke tilgjengelig)"));
        main.Nettleser->setStatusTip(why);
        main.Nettleser->setToolTip(why);
    }
    QObject::connect(&main, &frmhoved::browserRequested, &main, [&main] {
        if (const QString why = info::showBrowserWindow(); !why.isEmpty())
            main.report(why);
    });
    // Nobody touches the screen during a long think: keep it from blanking while a clock runs.
    platform::keepScreenAwakeWhileRunning(&main, {main.tida, main.tidb});
}

void answerLaterStarts(gameclock::frmhoved &main, platform::SingleInstance &instance)
{
    QObject::connect(&instance, &platform::SingleInstance::raiseRequested, &main,
                     [&main] { platform::bringToFront(&main); });
    if (!instance.listen()) {
        qWarning("partivakt: %s", qUtf8Printable(instance.failure()));
        main.setLasting(gameclock::frmhoved::Lasting::Instance, platform::SingleInstance::unguardedMessage());
    }
}

} // namespace app
