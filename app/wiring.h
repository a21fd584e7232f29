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

// Makes the program its directory's clock: the main window comes to the front when the program is
// started there again. Where that cannot be guarded, the main window says so for as long as it runs.
void answerLaterStarts(gameclock::frmhoved &main, platform::SingleInstance &instance);

} // namespace app
