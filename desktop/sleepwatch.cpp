#include "sleepwatch.h"

#include "systembus.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QThread>

#include <fcntl.h>
#include <unistd.h>

// The program ends with _exit, so no destructor closes the lock then. It need not: the kernel
// closes the descriptor with the process, and logind sees the lock gone.

namespace desktop {

namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");

} // namespace

SleepWatch::SleepWatch(QObject *parent) : QObject(parent) {}

SleepWatch::~SleepWatch()
{
    // The connector holds this object as the receiver of the signal it subscribes.
    if (m_connector)
        m_connector->wait();
    // A lock that logind grants after this point dies with the answer that carries it.
    if (m_fd >= 0)
        ::close(m_fd);
}

void SleepWatch::setInhibited(bool on)
{
    if (on == m_wanted)
        return;
    m_wanted = on;
    if (!on)
        m_attempted = false;
    // A clock started by hand after a sleep whose end was never announced (logind restarted in
    // between) wants its lock all the same.
    if (on)
        m_sleeping = false;
    if (on && !m_busAsked) {
        // An idle clock keeps no system-bus connection: the first running clock opens it.
        m_busAsked = true;
        m_connector = connectSystemBus(
            this,
            [this](QDBusConnection &bus) {
                // Qt D-Bus subscribes a receiver by its slot's signature only.
                bus.connect(kService, kPath, kManager, QStringLiteral("PrepareForSleep"), this,
                            SLOT(prepareForSleep(bool)));
            },
            [this](bool connected) { busReady(connected); });
    }
    scheduleSync();
}

void SleepWatch::busReady(bool connected)
{
    m_busReady = connected;
    scheduleSync();
}

void SleepWatch::scheduleSync()
{
    if (m_syncQueued)
        return;
    m_syncQueued = true;
    QMetaObject::invokeMethod(this, &SleepWatch::sync, Qt::QueuedConnection);
}

void SleepWatch::sync()
{
    m_syncQueued = false;
    // With a call under way its answer decides; sync runs again then.
    if (!m_busReady || m_pending)
        return;
    if (m_wanted && !isHeld() && !m_attempted && !m_sleeping) {
        m_attempted = true;
        sendInhibit();
    } else if (!m_wanted && isHeld()) {
        closeLock();
    }
}

void SleepWatch::sendInhibit()
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kManager, QStringLiteral("Inhibit"));
    message << QStringLiteral("sleep") << QStringLiteral("Partivakt")
            << QStringLiteral("Et parti pågår: klokken settes på pause og sikkerhetskopien lagres før dvale.")
            << QStringLiteral("delay");
    m_pending = new QDBusPendingCallWatcher(QDBusConnection::systemBus().asyncCall(message), this);
    connect(m_pending, &QDBusPendingCallWatcher::finished, this, &SleepWatch::inhibitFinished);
}

void SleepWatch::inhibitFinished(QDBusPendingCallWatcher *watcher)
{
    m_pending = nullptr;
    watcher->deleteLater();
    const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *watcher;
    // An error (no logind, no right to inhibit) leaves sleep as the system decides, unannounced.
    if (!reply.isError() && reply.value().isValid()) {
        // Our own descriptor, closed on exec: a program started from here (the help viewer) must not
        // carry the lock away and hold off sleep for as long as it runs.
        const int fd = ::fcntl(reply.value().fileDescriptor(), F_DUPFD_CLOEXEC, 3);
        if (fd >= 0) {
            m_fd = fd;
            Q_EMIT heldChanged(true);
        }
    }
    // The wish may have changed while the call was under way.
    sync();
}

void SleepWatch::prepareForSleep(bool start)
{
    if (!start) {
        m_sleeping = false;
        m_attempted = false;
        Q_EMIT awake();
        scheduleSync();
        return;
    }
    m_sleeping = true;
    Q_EMIT aboutToSleep();
    // Whatever the receivers did, the machine may sleep now.
    closeLock();
}

void SleepWatch::closeLock()
{
    if (m_fd < 0)
        return;
    ::close(m_fd);
    m_fd = -1;
    Q_EMIT heldChanged(false);
}

} // namespace desktop
