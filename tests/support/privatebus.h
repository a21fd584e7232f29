#pragma once

// A dbus-daemon of the test's own, so that fake system services never meet the machine's.

#include <QDBusConnection>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

#include <memory>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#endif

class PrivateBus {
public:
    ~PrivateBus()
    {
        if (m_daemon.state() == QProcess::Running) {
            m_daemon.terminate();
            m_daemon.waitForFinished();
        }
    }

    // Starts the daemon with its socket in dir. Returns why it cannot run, or an empty string.
    QString start(const QString &dir)
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            return QStringLiteral("dbus-daemon is not installed");
        const QString config = dir + QStringLiteral("/bus.conf");
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return file.errorString();
        // Nothing is activated on this bus: a service is there only while the test says so.
        file.write(QStringLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\""
                                  " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                                  "<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                                  "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                                  "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n")
                       .arg(dir.toHtmlEscaped())
                       .toUtf8());
        file.close();
#ifdef Q_OS_LINUX
        // A test that crashes takes its bus with it.
        m_daemon.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
        m_daemon.start(daemon, {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                                QStringLiteral("--print-address=1")});
        if (!m_daemon.waitForStarted())
            return QStringLiteral("dbus-daemon cannot be run");
        while (!m_daemon.canReadLine() && m_daemon.state() == QProcess::Running)
            m_daemon.waitForReadyRead(1000);
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        return m_address.isEmpty() ? QStringLiteral("dbus-daemon gave no address") : QString();
    }

    QString address() const
    {
        return m_address;
    }

    // The name of the fake services' connection.
    static inline const QString fakesName = QStringLiteral("fakes");

    // Starts the daemon as the bus the program takes for its system or session bus (Qt D-Bus reads
    // the address when it first connects there), and connects the fake services to it. Returns why
    // it cannot run, or an empty string.
    QString startAs(QDBusConnection::BusType bus, const QString &dir, std::unique_ptr<QDBusConnection> &fakes)
    {
        if (const QString why = start(dir); !why.isEmpty())
            return why;
        qputenv(bus == QDBusConnection::SystemBus ? "DBUS_SYSTEM_BUS_ADDRESS" : "DBUS_SESSION_BUS_ADDRESS",
                m_address.toUtf8());
        fakes = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(m_address, fakesName));
        return {};
    }

private:
    QProcess m_daemon;
    QString m_address;
};
