#pragma once

// Fake system services as the program meets them on the system bus: logind's manager and UPower's
// display device. They live in the test process, on a connection of their own to a private bus.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QList>
#include <QObject>
#include <QVariantMap>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

inline const QString kLoginService = QStringLiteral("org.freedesktop.login1");
inline const QString kLoginPath = QStringLiteral("/org/freedesktop/login1");
inline const QString kUPowerService = QStringLiteral("org.freedesktop.UPower");
inline const QString kDisplayDevicePath = QStringLiteral("/org/freedesktop/UPower/devices/DisplayDevice");

// logind's manager: hands out inhibitor locks as the write end of a pipe, so that it sees the
// holder close the lock when the read end reports a hang-up. It may hold its answers back to play
// a slow logind.
class FakeLogin : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    struct Lock {
        QString what, who, why, mode;
        int readEnd;
    };
    QList<Lock> locks;
    bool holdAnswers = false;
    QList<QDBusMessage> heldAnswers;

    ~FakeLogin() override
    {
        for (const Lock &lock : std::as_const(locks))
            ::close(lock.readEnd);
    }

    // Whether every holder of lock i has closed it.
    bool isReleased(int i) const
    {
        pollfd p{locks.at(i).readEnd, POLLIN, 0};
        return ::poll(&p, 1, 0) == 1 && (p.revents & POLLHUP);
    }

    void sendHeldAnswers(QDBusConnection &connection)
    {
        for (const QDBusMessage &answer : std::as_const(heldAnswers))
            connection.send(answer);
        heldAnswers.clear();
    }

    static bool announceSleep(QDBusConnection &connection, bool start)
    {
        QDBusMessage signal = QDBusMessage::createSignal(kLoginPath, QStringLiteral("org.freedesktop.login1.Manager"),
                                                         QStringLiteral("PrepareForSleep"));
        signal << start;
        return connection.send(signal);
    }

public Q_SLOTS:
    QDBusUnixFileDescriptor Inhibit(const QString &what, const QString &who, const QString &why, const QString &mode)
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return {};
        locks.append({what, who, why, mode, fds[0]});
        const QDBusUnixFileDescriptor lock(fds[1]); // holds a copy of its own
        ::close(fds[1]);
        if (holdAnswers) {
            setDelayedReply(true);
            heldAnswers.append(message().createReply(QVariant::fromValue(lock)));
        }
        return lock;
    }
};

// UPower's display device: the battery as a whole.
class FakeDisplayDevice : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.UPower.Device")
    Q_PROPERTY(uint Type MEMBER type)
    Q_PROPERTY(uint State MEMBER state)
    Q_PROPERTY(double Percentage MEMBER percentage)
    Q_PROPERTY(qlonglong TimeToEmpty MEMBER timeToEmpty)
    Q_PROPERTY(bool IsPresent MEMBER isPresent)
public:
    uint type = 2;  // battery
    uint state = 4; // fully charged
    double percentage = 100;
    qlonglong timeToEmpty = 0;
    bool isPresent = true;

    // Changes properties and announces the change as UPower does.
    bool change(QDBusConnection &connection, const QVariantMap &changed)
    {
        for (auto it = changed.begin(); it != changed.end(); ++it)
            setProperty(it.key().toLatin1().constData(), it.value());
        QDBusMessage signal = QDBusMessage::createSignal(
            kDisplayDevicePath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
        signal << QStringLiteral("org.freedesktop.UPower.Device") << changed << QStringList();
        return connection.send(signal);
    }
};

// Answers once everything sent to the fakes' connection before it has arrived there.
class Barrier : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "io.github.partivakt.Barrier")
public:
    static inline const QString path = QStringLiteral("/barrier");

    // Lets queued requests of the program go out and every call made so far on the program's
    // connection (its system bus unless told) reach the fakes and be answered.
    static bool settle(const QDBusConnection &fakes, QDBusConnection program = QDBusConnection::systemBus())
    {
        QCoreApplication::processEvents();
        const QDBusMessage ping = QDBusMessage::createMethodCall(
            fakes.baseService(), path, QStringLiteral("io.github.partivakt.Barrier"), QStringLiteral("Ping"));
        const QDBusMessage answer = program.call(ping, QDBus::BlockWithGui);
        QCoreApplication::processEvents();
        return answer.type() == QDBusMessage::ReplyMessage;
    }

public Q_SLOTS:
    void Ping() {}
};
