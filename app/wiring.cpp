#include "wiring.h"

#include "clock/frmhoved.h"
#include "gamefiles/frmlagresom.h"
#include "gamefiles/frmopne.h"
#include "info/frmom.h"
#include "info/rules.h"
#include "platform/screensaver.h"
#include "settings/frmalt.h"

namespace app {

void connectWindows(gameclock::frmhoved &main)
{
    using gameclock::frmhoved;
    QObject::connect(&main, &frmhoved::optionsRequested, &main, [&main] { settings::showOptions(main); });
    QObject::connect(&main, &frmhoved::aboutRequested, &main, [&main] { info::showAbout(main); });
    QObject::connect(&main, &frmhoved::rulesRequested, &main, [&main] { info::showRules(main); });
    QObject::connect(&main, &frmhoved::saveAsRequested, &main, [&main] { gamefiles::showSaveAs(main); });
    QObject::connect(&main, &frmhoved::openRequested, &main, [&main] { gamefiles::showOpen(main); });
    // Nobody touches the screen during a long think: keep it from blanking while a clock runs.
    platform::keepScreenAwakeWhileRunning(&main, {main.tida, main.tidb});
}

} // namespace app
