#pragma once

namespace gameclock {
class frmhoved;
}
namespace desktop {
class SingleInstance;
}

namespace app {

// Connects the main window's commands to the windows that answer them, and what those windows
// report back to the main window's own commands. The other windows know nothing of the main window.
void connectWindows(gameclock::frmhoved &main);

// The parts of connectWindows, for tests that want one window's wiring as the program has it.
void connectFileWindows(gameclock::frmhoved &main);
void connectCorrection(gameclock::frmhoved &main);
void connectOptions(gameclock::frmhoved &main);
void connectTimeControls(gameclock::frmhoved &main);
void connectInfo(gameclock::frmhoved &main);

// Makes the program its directory's clock: the main window comes to the front when the program is
// started there again. Where that cannot be guarded, the main window says so for as long as it runs.
void answerLaterStarts(gameclock::frmhoved &main, desktop::SingleInstance &instance);

} // namespace app
