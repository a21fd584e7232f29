#include "browsermodule.h"

#include "platform/windows.h"

#include <QCoreApplication>

namespace info {

QWidget *BrowserModule::showBrowserWindow(const QString &startingAddress)
{
    return platform::showOnce<frmbrowser>(m_window, [&startingAddress] {
        auto *window = new frmbrowser;
        window->StartingAddress = startingAddress;
        // The engine's pages must go before the engine itself at the end of the program.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, window, [window] { delete window; });
        window->Form_Load();
        return window;
    });
}

} // namespace info
