#include "browserhelper.h"

#include "toolkit/windows.h"

#include <QApplication>
#include <QWidget>

#include <cerrno>
#include <unistd.h>

namespace info {

BrowserHelper::BrowserHelper(const QString &startingAddress, int inputFd, std::FILE *output, QObject *parent)
    : QObject(parent), m_startingAddress(startingAddress), m_inputFd(inputFd), m_output(output),
      m_input(inputFd, QSocketNotifier::Read)
{
    connect(&m_input, &QSocketNotifier::activated, this, &BrowserHelper::readInput);
}

void BrowserHelper::showWindow()
{
    frmbrowser *window = toolkit::showOnce<frmbrowser>(m_window, [this] {
        auto *created = new frmbrowser;
        created->StartingAddress = m_startingAddress;
        // The engine's pages must go before the engine itself at the end of the program.
        connect(qApp, &QCoreApplication::aboutToQuit, created, [created] { delete created; });
        created->Form_Load();
        return created;
    });
    // A minimised window stays in the task bar however often it is raised.
    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->raise();
    window->activateWindow();
    std::fprintf(m_output, "shown %d\n", openBrowserWindows());
    std::fflush(m_output);
}

void BrowserHelper::readInput()
{
    char buffer[256];
    const ssize_t n = ::read(m_inputFd, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (n <= 0) {
        // The clock has gone, however it ended: so does its browser.
        m_input.setEnabled(false);
        QCoreApplication::quit();
        return;
    }
    m_pending.append(buffer, n);
    qsizetype end;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        const QByteArray line = m_pending.left(end).trimmed();
        m_pending.remove(0, end + 1);
        if (line == "raise")
            showWindow();
    }
}

int openBrowserWindows()
{
    int count = 0;
    for (const QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<const frmbrowser *>(w) && !w->isHidden())
            ++count;
    return count;
}

} // namespace info
