#pragma once

#include <QString>

#include <optional>

// The clock's side of the browser window. The window and its engine live in a module that is
// loaded only when the window is first opened, so the clock starts and runs without the engine,
// and runs on a machine that has none.
namespace info {

// Empty when the browser module is there to be loaded, else why the browser cannot open, for the
// user. Looks for the module without loading it; a module that was found but failed to load
// gives its reason from then on.
QString browserUnavailableReason();

// Shows the one browser window: loads the module and creates the window on the first call, brings
// it to the front later. A non-empty startingAddress is opened instead of the home address when
// the window is created. Empty on success, else why the browser cannot open.
QString showBrowserWindow(const QString &startingAddress = {});

// Whether the module (and with it the engine) has been loaded into the program.
bool browserModuleLoaded();

namespace detail {
// Tests pick the module file (or one that does not exist) instead of the search; nullopt restores it.
void setModuleForTests(const std::optional<QString> &path);
} // namespace detail

} // namespace info
