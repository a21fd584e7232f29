#pragma once

namespace gameclock {
class frmhoved;
}

namespace app {

// Connects the main window's commands to the windows that answer them.
void connectWindows(gameclock::frmhoved &main);

} // namespace app
