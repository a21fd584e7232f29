#pragma once

#include <QString>

namespace gameclock {
class frmhoved;
}

namespace desktop {
struct BatteryStatus;
}

namespace app {

// Makes the game follow the machine under it: sleep pauses a running game after its backup is
// written, and a low battery shows a lasting warning. Both reach the system bus only once a clock
// has started.
void followTheMachine(gameclock::frmhoved &main);

// The warning the main window shows for a battery status; empty while there is nothing to warn of.
QString batteryWarning(const desktop::BatteryStatus &status);

} // namespace app
