#include "singleinstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <cerrno>
#include <cstring>
#include <functional>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace desktop {

namespace {

const QByteArray kRaise = "raise\n";
const QByteArray kOk = "ok\n";
constexpr qint64 kMaxLine = 64;
// A clock answers from its event loop, within milliseconds when idle; a busy machine may take longer.
constexpr int kAnswerMs = 2000;
// A start holds the lock while it builds its application object, a fraction of a second; one held
// much longer belongs to a start that hangs.
constexpr int kLockWaitMs = 5000;
constexpr int kPeerLifetimeMs = 5000;

// Why dir may not hold the clock's socket and lock, or empty when it may: it must be a directory
// of this user's, reached without a symbolic link, that no other user may write to. Anyone who can
// write there could put a socket of theirs in place of the clock's and answer for it.
QString unsafeBecause(const QString &dir)
{
    struct stat st;
    if (::lstat(QFile::encodeName(dir).constData(), &st) != 0)
        return QStringLiteral("%1: %2").arg(dir, qt_error_string(errno));
    if (S_ISLNK(st.st_mode))
        return QStringLiteral("%1 is a symbolic link").arg(dir);
    if (!S_ISDIR(st.st_mode))
        return QStringLiteral("%1 is not a directory").arg(dir);
    if (st.st_uid != ::getuid())
        return QStringLiteral("%1 belongs to user %2").arg(dir).arg(st.st_uid);
    if (st.st_mode & (S_IWGRP | S_IWOTH))
        return QStringLiteral("%1 may be written by other users (mode %2)").arg(dir).arg(st.st_mode & 07777, 4, 8,
                                                                                          QLatin1Char('0'));
    return {};
}

// The user's runtime directory; without a usable one (a start from su, ssh or cron), a directory
// of the user's own in the shared temporary directory, made private as terminal multiplexers make
// theirs. Sets failure when even that is not safe.
QString runtimeDirectory(QString &failure)
{
    const QString xdg = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty() && unsafeBecause(xdg).isEmpty())
        return xdg;
    const QString own = QDir::tempPath() + QStringLiteral("/partivakt-%1").arg(::getuid());
    if (::mkdir(QFile::encodeName(own).constData(), S_IRWXU) != 0 && errno != EEXIST)
        failure = QStringLiteral("%1: %2").arg(own, qt_error_string(errno));
    else
        failure = unsafeBecause(own);
    return own;
}

bool toAddress(const QString &path, sockaddr_un &address)
{
    const QByteArray name = QFile::encodeName(path);
    if (name.size() >= qsizetype(sizeof address.sun_path))
        return false;
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    return true;
}

int openSocket()
{
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
}

// Whether the process at the other end of a connected socket runs as this user, by the kernel's word.
bool sameUser(int fd)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid();
}

struct FdCloser {
    int fd;
    ~FdCloser()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// One later start on the line: it may send one request and is answered once.
class Peer : public QObject {
public:
    Peer(int fd, std::function<void()> onRaise, QObject *parent)
        : QObject(parent), m_fd(fd), m_onRaise(std::move(onRaise)), m_notifier(fd, QSocketNotifier::Read, this)
    {
        connect(&m_notifier, &QSocketNotifier::activated, this, &Peer::readable);
        // A peer that connects and says nothing is not kept.
        QTimer::singleShot(kPeerLifetimeMs, this, &Peer::finish);
    }
    ~Peer() override { ::close(m_fd); }

private:
    void readable()
    {
        char buffer[kMaxLine];
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            return;
        if (n <= 0)
            return finish();
        m_line.append(buffer, n);
        if (!m_line.contains('\n')) {
            if (m_line.size() >= kMaxLine)
                finish();
            return;
        }
        if (m_line == kRaise) {
            // Answer first: the later start is waiting for it, and raising may take the window
            // system a while.
            ::send(m_fd, kOk.constData(), size_t(kOk.size()), MSG_NOSIGNAL);
            m_onRaise();
        }
        finish();
    }
    void finish()
    {
        m_notifier.setEnabled(false);
        deleteLater();
    }

    int m_fd;
    std::function<void()> m_onRaise;
    QSocketNotifier m_notifier;
    QByteArray m_line;
};

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
    : QObject(parent)
{
    const QString dir = runtimeDir.isEmpty() ? runtimeDirectory(m_failure) : runtimeDir;
    if (m_failure.isEmpty())
        m_failure = unsafeBecause(dir);
    m_path = dir + QLatin1Char('/') + instanceServerName(workingDir);
}

SingleInstance::~SingleInstance()
{
    if (m_listenFd < 0)
        return;
    delete m_acceptor;
    ::close(m_listenFd);
    QFile::remove(m_path);
}

QString SingleInstance::unguardedMessage()
{
    return QStringLiteral("En annen Partivakt kan skrive den samme sikkerhetskopien (Sikkerhetskopi.sur) i denne "
                          "mappen.");
}

bool SingleInstance::handOver()
{
    // In a place that others may write to, neither their socket nor their lock is to be believed.
    if (!m_failure.isEmpty())
        return false;
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
    case Answer::Foreign:
        m_failure = QStringLiteral("the socket at %1 belongs to another user").arg(m_path);
        m_lock.reset();
        return false;
    case Answer::Stale:
        // Left behind by a clock that was killed: nobody listens on it any more.
        QFile::remove(m_path);
        break;
    case Answer::NoServer:
    case Answer::Unreachable:
        break;
    }
    return false;
}

// Plain sockets rather than Qt's local sockets: the network library alone would add more to every
// start than all of this costs.
SingleInstance::Answer SingleInstance::askRunning() const
{
    sockaddr_un address;
    if (!toAddress(m_path, address))
        return Answer::Unreachable;
    const FdCloser socket{openSocket()};
    if (socket.fd < 0)
        return Answer::Unreachable;
    if (::connect(socket.fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        switch (errno) {
        case ENOENT:
            return Answer::NoServer;
        case ECONNREFUSED:
            return Answer::Stale;
        case EAGAIN: // its queue is full: a clock is there but takes no calls
            return Answer::Silent;
        default:
            return Answer::Unreachable;
        }
    }
    // Only a clock of this user's is obeyed: whoever else listens there would end this start.
    if (!sameUser(socket.fd))
        return Answer::Foreign;
    if (::send(socket.fd, kRaise.constData(), size_t(kRaise.size()), MSG_NOSIGNAL) != kRaise.size())
        return Answer::Silent;

    QByteArray reply;
    const QDeadlineTimer deadline(kAnswerMs);
    while (!reply.contains('\n') && reply.size() < kMaxLine) {
        pollfd readable{socket.fd, POLLIN, 0};
        const int ready = ::poll(&readable, 1, int(deadline.remainingTime()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        char buffer[kMaxLine];
        const ssize_t n = ::read(socket.fd, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            break;
        reply.append(buffer, n);
    }
    return reply == kOk ? Answer::Raised : Answer::Silent;
}

bool SingleInstance::listen()
{
    if (m_listenFd >= 0)
        return true;
    if (!m_failure.isEmpty())
        return false;
    sockaddr_un address;
    int error = ENAMETOOLONG;
    int fd = -1;
    if (toAddress(m_path, address)) {
        fd = openSocket();
        // Only the user may reach the clock, also where the socket lies in the shared temporary directory.
        const bool ok = fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0 &&
                        ::chmod(address.sun_path, S_IRUSR | S_IWUSR) == 0 && ::listen(fd, 16) == 0;
        error = errno;
        if (!ok && fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
    m_lock.reset();
    if (fd < 0) {
        m_failure = QStringLiteral("%1: %2").arg(m_path, qt_error_string(error));
        return false;
    }
    m_listenFd = fd;
    m_acceptor = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_acceptor, &QSocketNotifier::activated, this, [this] {
        for (;;) {
            const int peer = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (peer < 0 && errno == EINTR)
                continue;
            if (peer < 0)
                return;
            if (!sameUser(peer)) {
                ::close(peer);
                continue;
            }
            new Peer(
                peer, [this] { Q_EMIT raiseRequested(); }, this);
        }
    });
    return true;
}

void bringToFront(QWidget *window)
{
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace desktop
