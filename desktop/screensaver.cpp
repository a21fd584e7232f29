#include "screensaver.h"


#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QPointer>
#include <QThread>

#include <algorithm>
#include <iterator>

// The program ends with _exit, so no destructor releases the request then. It need not: the
// screen-saver service forgets every request of a client whose bus connection closes, and the
// connection closes with the process.

namespace desktop {

namespace {

const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kInterface = QStringLiteral("org.freedesktop.ScreenSaver");
// Older desktops export the object only under the short path.
const char *const kPaths[] = {"/org/freedesktop/ScreenSaver", "/ScreenSaver"};
constexpr int kPathCount = int(std::size(kPaths));

QString applicationId()
{
    const QString id = QGuiApplication::desktopFileName();
    if (!id.isEmpty())
        return id;
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("Partivakt") : name;
}

void sendUnInhibit(const QString &path, uint cookie)
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, path, kInterface, QStringLiteral("UnInhibit"));
    message << cookie;
    // The answer carries nothing we could act on.
    QDBusConnection::sessionBus().send(message);
}

} // namespace

ScreenSaverInhibitor::ScreenSaverInhibitor(QObject *parent) : QObject(parent)
{
    // The bus is first needed when a clock starts; an idle clock keeps no connection (nor the
    // thread that serves it).
}

void ScreenSaverInhibitor::connectBus()
{
    if (m_connecting)
        return;
    m_connecting = true;
    // Connecting says hello to the bus and waits for its answer; a bus that hangs must not hang
    // the clock, so the connection is made on a thread of its own.
    QThread *connector = QThread::create([] { QDBusConnection::sessionBus(); });
    connect(connector, &QThread::finished, this, &ScreenSaverInhibitor::busReady);
    connect(connector, &QThread::finished, connector, &QObject::deleteLater);
    connector->start();
}

ScreenSaverInhibitor::~ScreenSaverInhibitor()
{
    if (m_pending) {
        // The answer may still bring a cookie; release it when it comes.
        QDBusPendingCallWatcher *pending = m_pending;
        const QString path = pending->property("path").toString();
        pending->setParent(nullptr);
        disconnect(pending, nullptr, this, nullptr);
        connect(pending, &QDBusPendingCallWatcher::finished, pending, [path](QDBusPendingCallWatcher *watcher) {
            const QDBusPendingReply<uint> reply = *watcher;
            if (!reply.isError())
                sendUnInhibit(path, reply.value());
            watcher->deleteLater();
        });
    }
    if (m_cookie)
        sendUnInhibit(m_cookiePath, *m_cookie);
}

void ScreenSaverInhibitor::setInhibited(bool on)
{
    if (on == m_wanted)
        return;
    m_wanted = on;
    if (!on)
        m_attempted = false;
    if (on)
        connectBus();
    scheduleSync();
}

void ScreenSaverInhibitor::busReady()
{
    m_busReady = QDBusConnection::sessionBus().isConnected();
    scheduleSync();
}

void ScreenSaverInhibitor::scheduleSync()
{
    if (m_syncQueued)
        return;
    m_syncQueued = true;
    QMetaObject::invokeMethod(this, &ScreenSaverInhibitor::sync, Qt::QueuedConnection);
}

void ScreenSaverInhibitor::sync()
{
    m_syncQueued = false;
    // With a call under way its answer decides; sync runs again then.
    if (!m_busReady || m_pending)
        return;
    if (m_wanted && !m_cookie && !m_attempted) {
        m_attempted = true;
        sendInhibit(0);
    } else if (!m_wanted && m_cookie) {
        releaseCookie();
    }
}

void ScreenSaverInhibitor::sendInhibit(int pathIndex)
{
    const QString path = QLatin1String(kPaths[pathIndex]);
    QDBusMessage message = QDBusMessage::createMethodCall(kService, path, kInterface, QStringLiteral("Inhibit"));
    message << applicationId() << QStringLiteral("Sjakkuret går");
    m_pending = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(message), this);
    m_pending->setProperty("path", path);
    connect(m_pending, &QDBusPendingCallWatcher::finished, this,
            [this, pathIndex](QDBusPendingCallWatcher *watcher) { inhibitFinished(watcher, pathIndex); });
}

void ScreenSaverInhibitor::inhibitFinished(QDBusPendingCallWatcher *watcher, int pathIndex)
{
    m_pending = nullptr;
    watcher->deleteLater();
    const QDBusPendingReply<uint> reply = *watcher;
    if (reply.isError()) {
        const QDBusError::ErrorType type = reply.error().type();
        const bool wrongPath = type == QDBusError::UnknownObject || type == QDBusError::UnknownInterface ||
                               type == QDBusError::UnknownMethod;
        if (wrongPath && pathIndex + 1 < kPathCount) {
            sendInhibit(pathIndex + 1);
            return;
        }
        // No screen saver to ask: the screen behaves as the desktop decides, and nobody is told.
    } else {
        m_cookie = reply.value();
        m_cookiePath = watcher->property("path").toString();
        Q_EMIT heldChanged(true);
    }
    // The wish may have changed while the call was under way.
    sync();
}

void ScreenSaverInhibitor::releaseCookie()
{
    sendUnInhibit(m_cookiePath, *m_cookie);
    m_cookie.reset();
    Q_EMIT heldChanged(false);
}

} // namespace desktop
