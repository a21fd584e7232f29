#pragma once

// A virtual X screen of the test's own (Xvfb on a free display), for tests that start the real
// program as a player would.

#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#endif

class VirtualScreen {
public:
    ~VirtualScreen() { stop(); }

    // Which of Xvfb and the tools a test drives it with is not installed; empty when all are.
    static QString missing(const QStringList &tools)
    {
        QStringList absent;
        for (const QString &tool : QStringList{QStringLiteral("Xvfb")} + tools)
            if (QStandardPaths::findExecutable(tool).isEmpty())
                absent << tool;
        return absent.isEmpty() ? QString() : absent.join(QLatin1Char(' ')) + QStringLiteral(" not installed");
    }

    // Starts the server. Returns why it did not start, or an empty string.
    QString start()
    {
#ifdef Q_OS_LINUX
        // A test that crashes takes its screen with it.
        m_server.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
        m_server.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                                QStringLiteral("-screen"), QStringLiteral("0"),
                                                QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                                                QStringLiteral("tcp"), QStringLiteral("-noreset")});
        if (!m_server.waitForStarted(10'000))
            return QStringLiteral("Xvfb cannot be run");
        const QDeadlineTimer deadline(20'000);
        while (!m_server.canReadLine() && m_server.state() == QProcess::Running && !deadline.hasExpired())
            m_server.waitForReadyRead(1000);
        const QString number = QString::fromUtf8(m_server.readLine()).trimmed();
        if (number.isEmpty())
            return QStringLiteral("Xvfb gave no display number");
        m_display = QLatin1Char(':') + number;
        return {};
    }

    void stop()
    {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.terminate();
            m_server.waitForFinished(5000);
        }
        m_display.clear();
    }

    // ":N" while the server runs, empty otherwise.
    QString display() const { return m_display; }

    // Puts a program (the clock, xdotool, ...) on this screen: the X platform, no accessibility bus.
    void addTo(QProcessEnvironment &env) const
    {
        env.insert(QStringLiteral("DISPLAY"), m_display);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("QT_ACCESSIBILITY"), QStringLiteral("0"));
    }

private:
    QProcess m_server;
    QString m_display;
};
