#pragma once

namespace gameclock {
class frmhoved;
}
namespace platform {
class SingleInstance;
}

namespace app {

// Connects the main window's commands to the windows that answer them.
void connectWindows(gameclock::frmhoved &main);

// Brings the main window to the front when the program is started again in the same directory, and
// says so on the main window for as long as that cannot be guarded.
void answerLaterStarts(gameclock::frmhoved &main, platform::SingleInstance &instance);

} // namespace app
