// partivakt-browser: the clock's browser window in a process of its own, so that the browser
// engine (and the OpenGL driver it brings along) never loads into the clock, and cannot take a
// running game down with it.
//
//   partivakt-browser [--parent PID] [ADDRESS]
//
// Started by the clock with its standard input a pipe: see BrowserHelper.

#include "browserhelper.h"

#include <QApplication>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

int main(int argc, char *argv[])
{
    long parent = 0;
    QString startingAddress;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--parent") == 0 && i + 1 < argc)
            parent = std::strtol(argv[++i], nullptr, 10);
        else if (argv[i][0] != '-')
            startingAddress = QString::fromLocal8Bit(argv[i]);
    }
#ifdef __linux__
    // Gone with the clock, even when it is killed outright. The clock may have died before the
    // request was made; then the parent is no longer the one that started us.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (parent > 0 && ::getppid() != parent)
        return 0;
#endif
    // The engine's sandbox refuses to run as root; only then is it turned off.
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // The engine needs its OpenGL contexts shared from the start of the application.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Partivakt"));
    QApplication::setDesktopFileName(QStringLiteral(PARTIVAKT_APP_ID));

    info::BrowserHelper helper(startingAddress, STDIN_FILENO, stdout);
    helper.showWindow();
    return QApplication::exec();
}
