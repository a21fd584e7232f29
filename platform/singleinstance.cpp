#include "singleinstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QTimer>
#include <QWidget>

#include <unistd.h>

namespace platform {

namespace {

const QByteArray kRaise = "raise\n";
const QByteArray kOk = "ok\n";
constexpr qint64 kMaxLine = 64;
// A clock answers from its event loop; one still building its main window needs a moment more
// than an idle one.
constexpr int kConnectMs = 500;
constexpr int kAnswerMs = 2000;
// A start holds the lock while it builds its application object, a fraction of a second; one held
// much longer belongs to a start that hangs.
constexpr int kLockWaitMs = 5000;
// A peer that connects and says nothing is not kept.
constexpr int kPeerLifetimeMs = 5000;

QString runtimeDirectory()
{
    // The user's own directory for sockets; without one (no login session), the shared temporary
    // directory, where the user id in the name keeps users apart.
    const QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !dir.isEmpty() && QFileInfo(dir).isDir() ? dir : QDir::tempPath();
}

} // namespace

QString instanceServerName(const QString &workingDir)
{
    const QDir dir(workingDir);
    QString path = dir.canonicalPath();
    if (path.isEmpty()) // the directory is gone; its name still tells clocks apart
        path = QDir::cleanPath(dir.absolutePath());
    const QByteArray hash = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex();
    return QStringLiteral("partivakt-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
}

SingleInstance::SingleInstance(const QString &workingDir, const QString &runtimeDir, QObject *parent)
    : QObject(parent), m_path((runtimeDir.isEmpty() ? runtimeDirectory() : runtimeDir) + QLatin1Char('/') +
                              instanceServerName(workingDir))
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::unguardedMessage()
{
    return QStringLiteral("En annen Partivakt kan skrive den samme sikkerhetskopien (Sikkerhetskopi.sur) i denne "
                          "mappen.");
}

bool SingleInstance::handOver()
{
    // Two starts at the same moment must not both find no clock and both listen: the lock is held
    // from the question until this start listens.
    m_lock = std::make_unique<QLockFile>(m_path + QStringLiteral(".lock"));
    if (!m_lock->tryLock(kLockWaitMs)) {
        const bool held = m_lock->error() == QLockFile::LockFailedError;
        m_lock.reset();
        if (held) {
            // Another start holds it and hangs: ask whether a clock answers all the same.
            if (askRunning() == Answer::Raised)
                return true;
            m_failure = QStringLiteral("another start holds %1.lock").arg(m_path);
            return false;
        }
        // A lock that cannot be made at all still leaves the question and the listening.
    }

    switch (askRunning()) {
    case Answer::Raised:
        m_lock.reset();
        return true;
    case Answer::Silent:
        m_failure = QStringLiteral("the clock at %1 does not answer").arg(m_path);
        m_lock.reset();
        return false;
    case Answer::Stale:
        // Left behind by a clock that was killed: nobody listens on it any more.
        QLocalServer::removeServer(m_path);
        break;
    case Answer::NoServer:
    case Answer::Unreachable:
        break;
    }
    return false;
}

SingleInstance::Answer SingleInstance::askRunning() const
{
    QLocalSocket socket;
    socket.connectToServer(m_path);
    if (!socket.waitForConnected(kConnectMs)) {
        switch (socket.error()) {
        case QLocalSocket::ServerNotFoundError:
            return Answer::NoServer;
        case QLocalSocket::ConnectionRefusedError:
            return Answer::Stale;
        case QLocalSocket::SocketTimeoutError:
            return Answer::Silent;
        default:
            return Answer::Unreachable;
        }
    }
    socket.write(kRaise);
    const QDeadlineTimer deadline(kAnswerMs);
    while (!socket.canReadLine() && !deadline.hasExpired()) {
        if (!socket.waitForReadyRead(int(deadline.remainingTime())))
            break;
    }
    if (socket.canReadLine() && socket.readLine(kMaxLine) == kOk)
        return Answer::Raised;
    return Answer::Silent;
}

bool SingleInstance::listen()
{
    if (m_server)
        return true;
    if (!m_failure.isEmpty())
        return false;
    auto *server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    const bool listening = server->listen(m_path);
    m_lock.reset();
    if (!listening) {
        m_failure = QStringLiteral("%1: %2").arg(m_path, server->errorString());
        delete server;
        return false;
    }
    m_server = server;
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *peer = m_server->nextPendingConnection()) {
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            connect(peer, &QLocalSocket::readyRead, this, [this, peer] { serve(peer); });
            QTimer::singleShot(kPeerLifetimeMs, peer, &QObject::deleteLater);
        }
    });
    return true;
}

void SingleInstance::serve(QLocalSocket *peer)
{
    if (!peer->canReadLine()) {
        if (peer->bytesAvailable() > kMaxLine)
            peer->abort();
        return;
    }
    const QByteArray line = peer->readLine(kMaxLine);
    if (line != kRaise) {
        peer->abort();
        return;
    }
    // Answer first: the later start is waiting for it, and raising may take the window system a while.
    peer->write(kOk);
    peer->flush();
    peer->disconnectFromServer();
    Q_EMIT raiseRequested();
}

void bringToFront(QWidget *window)
{
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace platform
