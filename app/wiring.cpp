#include "wiring.h"

#include "clock/frmhoved.h"

namespace app {

void connectWindows(gameclock::frmhoved &main)
{
    Q_UNUSED(main);
}

} // namespace app
