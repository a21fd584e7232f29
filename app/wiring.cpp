#include "wiring.h"

#include "clock/frmhoved.h"
#include "gamefiles/frmlagresom.h"
#include "gamefiles/frmopne.h"
#include "info/browser/browserlauncher.h"
#include "info/frmom.h"
#include "info/rules.h"
#include "platform/screensaver.h"
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
    // The browser runs in a program of its own, started on the first open; where it cannot, the menu
    // says why. Its troubles stay in the status bar and never reach the clocks.
    auto *browser = new info::BrowserLauncher(&main);
    const auto showAvailability = [&main, browser] {
        const QString why = browser->unavailableReason();
        if (why.isEmpty())
            return;
        main.Nettleser->setText(QStringLiteral("&Nettleser (ikke tilgjengelig)"));
        main.Nettleser->setStatusTip(why);
        main.Nettleser->setToolTip(why);
    };
    showAvailability();
    QObject::connect(browser, &info::BrowserLauncher::becameUnavailable, &main, showAvailability);
    QObject::connect(browser, &info::BrowserLauncher::stopped, &main,
                     [&main](const QString &why) { main.setLasting(gameclock::frmhoved::Lasting::Browser, why); });
    QObject::connect(&main, &frmhoved::browserRequested, &main, [&main, browser] {
        const QString why = browser->show();
        main.setLasting(frmhoved::Lasting::Browser, {});
        if (!why.isEmpty())
            main.report(why);
    });
    // Nobody touches the screen during a long think: keep it from blanking while a clock runs.
    platform::keepScreenAwakeWhileRunning(&main, {main.tida, main.tidb});
}

} // namespace app
