#include "wiring.h"

#include "app/hall.h"
#include "app/laptop.h"
#include "app/movetimes.h"
#include "app/speaking.h"
#include "arbiter/frmjuster.h"
#include "clock/frmhoved.h"
#include "clock/timecontrolstore.h"
#include "desktop/screensaver.h"
#include "desktop/singleinstance.h"
#include "gamefiles/frmlagresom.h"
#include "gamefiles/frmopne.h"
#include "info/browser/browserlauncher.h"
#include "info/frmom.h"
#include "info/rules.h"
#include "settings/frmalt.h"
#include "settings/frmtid.h"

#include <QAction>

namespace app {

using gameclock::frmhoved;

void connectFileWindows(frmhoved &main)
{
    QObject::connect(&main, &frmhoved::saveAsRequested, &main, [&main] {
        bool created = false;
        gamefiles::frmlagresom *window = gamefiles::showSaveAs([&main] { return main.gameValues(); }, &created);
        if (created)
            QObject::connect(window, &gamefiles::frmlagresom::saved, &main,
                             [&main](const QString &path) { main.report(gamefiles::savedMessage(path)); });
    });
    QObject::connect(&main, &frmhoved::openRequested, &main, [&main] {
        bool created = false;
        gamefiles::frmopne *window = gamefiles::showOpen(&created);
        if (!created)
            return;
        // The backup may be one second behind on its worker thread: finish it before it is read.
        QObject::connect(window, &gamefiles::frmopne::aboutToRead, &main, [&main] { main.finishBackup(); });
        QObject::connect(window, &gamefiles::frmopne::gameChosen, &main,
                         [&main, window](const gamefiles::GameValues &values) {
                             if (const std::optional<QString> why = main.restoreGame(values))
                                 window->refuse(*why);
                         });
    });
}

void connectCorrection(frmhoved &main)
{
    QObject::connect(&main, &frmhoved::correctionRequested, &main, [&main] {
        bool created = false;
        std::optional<arbiter::CountdownGame> countdown;
        if (const gameclock::Countdown *game = main.countdown()) {
            const gameclock::CountdownState state = game->state(toolkit::TimeSource::current().nowMs());
            countdown = arbiter::CountdownGame{{state.leftMs, state.moves}, game->control()};
        }
        arbiter::frmjuster *window = arbiter::showCorrection(main.gameValues(), countdown, &created);
        if (!created)
            return;
        QObject::connect(
            window, &arbiter::frmjuster::countdownChosen, &main,
            [&main, window](const arbiter::CountdownValues &values) {
                if (const std::optional<QString> why = main.correctCountdown({values.leftMs, values.moves}))
                    window->refuse(*why);
                else
                    window->close();
            });
        QObject::connect(window, &arbiter::frmjuster::correctionChosen, &main,
                         [&main, window](const gamefiles::Readouts &readouts) {
                             if (const std::optional<QString> why = main.correctTime(readouts))
                                 window->refuse(*why);
                             else
                                 window->close();
                         });
    });
}

void connectOptions(frmhoved &main)
{
    QObject::connect(&main, &frmhoved::optionsRequested, &main, [&main] {
        bool created = false;
        settings::frmalt *window = settings::showOptions(&created);
        if (created)
            QObject::connect(window, &settings::frmalt::saved, &main, &frmhoved::reloadSettings);
    });
}

void connectTimeControls(frmhoved &main)
{
    QObject::connect(&main, &frmhoved::timeControlRequested, &main, [&main] {
        bool created = false;
        settings::frmtid *window = settings::showTimeControls(main.timeControl(), &created);
        if (!created)
            return;
        QObject::connect(window, &settings::frmtid::chosen, &main,
                         [&main, window](const gameclock::TimeControl &control) {
                             if (const std::optional<QString> why = main.applyTimeControl(control))
                                 return window->refuse(*why);
                             // The game takes the control either way; only the next start would miss it.
                             if (const QString failed = gameclock::chooseControl(control.name); !failed.isEmpty())
                                 main.report(failed);
                             window->close();
                         });
    });
}

void connectInfo(frmhoved &main)
{
    QObject::connect(&main, &frmhoved::aboutRequested, &main, [] { info::showAbout(); });
    QObject::connect(&main, &frmhoved::rulesRequested, &main, [&main] {
        if (const QString why = info::showRules(); !why.isEmpty())
            main.report(why);
    });
}

void connectWindows(frmhoved &main)
{
    connectFileWindows(main);
    connectCorrection(main);
    connectOptions(main);
    connectTimeControls(main);
    connectInfo(main);
    // The browser runs in a program of its own, started on the first open; where it cannot, the menu
    // says why. Its troubles stay in the status bar and never reach the clocks.
    auto *browser = new info::BrowserLauncher(&main);
    const auto showAvailability = [&main, browser] {
        const QString why = browser->unavailableReason();
        main.Nettleser->setText(why.isEmpty() ? QStringLiteral("&Nettleser")
                                              : QStringLiteral("&Nettleser (ikke tilgjengelig)"));
        main.Nettleser->setStatusTip(why);
        main.Nettleser->setToolTip(why);
    };
    showAvailability();
    QObject::connect(browser, &info::BrowserLauncher::becameUnavailable, &main, showAvailability);
    QObject::connect(browser, &info::BrowserLauncher::stopped, &main,
                     [&main](const QString &why) { main.setLasting(gameclock::frmhoved::Lasting::Browser, why); });
    QObject::connect(&main, &frmhoved::browserRequested, &main, [&main, browser, showAvailability] {
        const QString why = browser->show();
        showAvailability(); // installed since the start, the browser opens and the menu says so
        main.setLasting(frmhoved::Lasting::Browser, {});
        if (!why.isEmpty())
            main.report(why);
    });
    // Nobody touches the screen during a long think: keep it from blanking while a clock runs.
    desktop::keepScreenAwakeWhileRunning<toolkit::Timer>(&main, {main.tida, main.tidb});
    followTheMachine(main);
    connectSpeech(main);
    connectHall(main);
    connectMoveTimes(main);
}

void answerLaterStarts(gameclock::frmhoved &main, desktop::SingleInstance &instance)
{
    QObject::connect(&instance, &desktop::SingleInstance::raiseRequested, &main,
                     [&main] { desktop::bringToFront(&main); });
    if (!instance.listen()) {
        qWarning("partivakt: %s", qUtf8Printable(instance.failure()));
        main.setLasting(gameclock::frmhoved::Lasting::Instance, desktop::SingleInstance::unguardedMessage());
    }
}

} // namespace app
