#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <csignal>
#include <poll.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

// Another local user who pretends to be a clock: a child process that runs as `nobody`, makes the
// given directories (mode 0777), binds a socket at each path (mode 0777) and answers "ok" to
// whatever it is sent, as a clock that was asked to come to the front does. Needs root to become
// nobody; skipReason() says why it cannot run otherwise.
class ForeignClock {
public:
    ForeignClock(const QStringList &dirs, const QStringList &sockets)
    {
        const passwd *nobody = ::getpwnam("nobody");
        if (::getuid() != 0) {
            m_skip = QStringLiteral("another user's socket needs root to become nobody");
            return;
        }
        if (!nobody) {
            m_skip = QStringLiteral("there is no user nobody");
            return;
        }
        // Everything the child uses is made before the fork: after it only system calls run.
        std::vector<QByteArray> dirNames, socketNames;
        for (const QString &dir : dirs)
            dirNames.push_back(QFile::encodeName(dir));
        for (const QString &socket : sockets)
            socketNames.push_back(QFile::encodeName(socket));
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(ready[0]);
            if (::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0)
                ::_exit(1);
            ::umask(0);
            for (const QByteArray &dir : dirNames)
                ::mkdir(dir.constData(), 0777);
            std::vector<int> listening;
            for (const QByteArray &name : socketNames) {
                const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
                sockaddr_un address{};
                address.sun_family = AF_UNIX;
                qstrncpy(address.sun_path, name.constData(), sizeof address.sun_path);
                if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
                    ::listen(fd, 8) != 0)
                    ::_exit(2);
                listening.push_back(fd);
            }
            (void)!::write(ready[1], "r", 1);
            ::close(ready[1]);
            for (;;) {
                for (int fd : listening) {
                    const int peer = ::accept4(fd, nullptr, nullptr, 0);
                    if (peer < 0)
                        continue;
                    pollfd request{peer, POLLIN, 0};
                    char buffer[64];
                    if (::poll(&request, 1, 1000) == 1 && ::read(peer, buffer, sizeof buffer) > 0)
                        (void)!::write(peer, "ok\n", 3);
                    ::close(peer);
                }
                ::usleep(10000);
            }
        }
        ::close(ready[1]);
        char byte = 0;
        m_ok = m_pid > 0 && ::read(ready[0], &byte, 1) == 1;
        ::close(ready[0]);
    }
    ~ForeignClock()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    ForeignClock(const ForeignClock &) = delete;
    ForeignClock &operator=(const ForeignClock &) = delete;

    QString skipReason() const { return m_skip; }
    bool ok() const { return m_ok; }

private:
    pid_t m_pid = -1;
    bool m_ok = false;
    QString m_skip;
};
