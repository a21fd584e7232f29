#include "desktop/singleinstance.h"
#include "tests/support/foreignclock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QLockFile>
#include <QMainWindow>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QScopeGuard>
#include <QTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <cstdio>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using desktop::SingleInstance;

Q_DECLARE_METATYPE(Qt::WindowStates)

namespace {

// A socket bound at path the way the kernel leaves one behind: with listening, a clock that stopped
// answering (it never accepts or reads); without, one whose program was killed.
class RawSocket {
public:
    RawSocket(const QString &path, bool listening)
    {
        m_fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        qstrncpy(address.sun_path, name.constData(), sizeof address.sun_path);
        m_ok = m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
               (!listening || ::listen(m_fd, 8) == 0);
        if (!listening)
            close();
    }
    ~RawSocket() { close(); }
    bool ok() const { return m_ok; }

private:
    void close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    int m_fd = -1;
    bool m_ok = false;
};

} // namespace

class tst_SingleInstance : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_work.isValid());
        QDir::setCurrent(m_work.path());
    }

    void init()
    {
        m_runtime.reset(new QTemporaryDir);
        QVERIFY(m_runtime->isValid());
    }

    void serverName_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("same");
        QTest::newRow("same directory") << "game"
                                        << "game" << true;
        QTest::newRow("trailing dot") << "game"
                                      << "game/." << true;
        QTest::newRow("through a parent") << "game"
                                          << "other/../game" << true;
        QTest::newRow("through a symbolic link") << "game"
                                                 << "link" << true;
        QTest::newRow("relative and absolute") << "game"
                                               << "@/game" << true;
        QTest::newRow("other directory") << "game"
                                         << "other" << false;
        QTest::newRow("subdirectory") << "game"
                                      << "game/sub" << false;
        QTest::newRow("name differing in case") << "game"
                                                << "Game" << false;
    }

    // Every way of naming one directory reaches the same clock; different directories never do.
    void serverName()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(bool, same);
        const QDir root(m_work.path());
        for (const char *dir : {"game/sub", "other", "Game"})
            QVERIFY(root.mkpath(QString::fromLatin1(dir)));
        QFile::link(root.filePath(QStringLiteral("game")), root.filePath(QStringLiteral("link")));
        const auto resolve = [&](QString path) {
            return path.startsWith(QLatin1Char('@')) ? root.path() + path.mid(1) : path;
        };
        const QString a = desktop::instanceServerName(resolve(first));
        const QString b = desktop::instanceServerName(resolve(second));
        QCOMPARE(a == b, same);

        // One user's clocks never meet another's, and the socket path fits the kernel's limit even in
        // a deep runtime directory.
        const QString prefix = QStringLiteral("partivakt-%1-").arg(::getuid());
        QVERIFY2(a.startsWith(prefix), qPrintable(a));
        QCOMPARE(a.size(), prefix.size() + 40);
        QVERIFY(QStringLiteral("/run/user/4294967295/").size() + a.size() < int(sizeof(sockaddr_un::sun_path)));
    }

    void claim_data()
    {
        QTest::addColumn<QString>("leftBehind");
        QTest::addColumn<bool>("guarded");
        QTest::newRow("nothing") << "" << true;
        QTest::newRow("socket of a killed clock") << "stale" << true;
        QTest::newRow("clock that does not answer") << "silent" << false;
        QTest::newRow("lock of a start that hangs") << "lock" << false;
        QTest::newRow("runtime directory is a file") << "file" << false;
        QTest::newRow("runtime directory too deep for a socket") << "deep" << false;
    }

    // What a start finds in the runtime directory decides whether it may become the directory's clock.
    void claim()
    {
        QFETCH(QString, leftBehind);
        QFETCH(bool, guarded);
        QString runtime = m_runtime->path();
        if (leftBehind == QLatin1String("file")) {
            runtime = m_runtime->filePath(QStringLiteral("not-a-directory"));
            QFile file(runtime);
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else if (leftBehind == QLatin1String("deep")) {
            runtime = m_runtime->filePath(QString(int(sizeof(sockaddr_un::sun_path)), QLatin1Char('d')));
            QVERIFY(QDir().mkpath(runtime));
        }
        const QString path = runtime + QLatin1Char('/') + desktop::instanceServerName(m_work.path());

        std::unique_ptr<RawSocket> raw;
        if (leftBehind == QLatin1String("stale") || leftBehind == QLatin1String("silent")) {
            raw = std::make_unique<RawSocket>(path, leftBehind == QLatin1String("silent"));
            QVERIFY(raw->ok());
        }
        QLockFile hanging(path + QStringLiteral(".lock"));
        if (leftBehind == QLatin1String("lock"))
            QVERIFY(hanging.tryLock(0));

        SingleInstance instance(m_work.path(), runtime);
        QCOMPARE(instance.serverPath(), path);
        QVERIFY(!instance.handOver());
        QCOMPARE(instance.listen(), guarded);
        QCOMPARE(instance.isGuarded(), guarded);
        QCOMPARE(instance.failure().isEmpty(), guarded);
        // The lock goes with the question, whatever the answer.
        QVERIFY(!QFileInfo::exists(path + QStringLiteral(".lock")) || leftBehind == QLatin1String("lock"));

        if (guarded) {
            // Later starts now reach this program, not what was left behind.
            QLocalSocket probe;
            probe.connectToServer(path);
            QTRY_COMPARE(probe.state(), QLocalSocket::ConnectedState);
        } else if (leftBehind == QLatin1String("silent")) {
            // A clock that is only slow keeps its socket: taking it over would make two clocks.
            QVERIFY(QFileInfo(path).exists());
            QLocalSocket probe;
            probe.connectToServer(path);
            QVERIFY(probe.waitForConnected(1000));
        }
    }

    void place_data()
    {
        QTest::addColumn<QString>("setUp");
        QTest::addColumn<QString>("socketDir"); // empty: the start runs unguarded
        const QString own = QStringLiteral("partivakt-%1").arg(::getuid());
        QTest::newRow("no runtime directory: a private one is made") << "" << own;
        QTest::newRow("runtime directory others may write to: the private one") << "shared runtime" << own;
        QTest::newRow("private directory is a symbolic link") << "symlink" << "";
        QTest::newRow("private directory writable by the group") << "group" << "";
        QTest::newRow("private directory of another user") << "foreign dir" << "";
        QTest::newRow("socket of another user in the private directory") << "foreign socket" << "";
    }

    // Where no runtime directory is given (su, ssh, cron), another user must neither end a start by
    // answering for the clock nor stop it from running.
    void place()
    {
        QFETCH(QString, setUp);
        QFETCH(QString, socketDir);
        const QString tmp = m_runtime->path();
        QCOMPARE(::chmod(QFile::encodeName(tmp).constData(), 01777), 0); // as /tmp is
        const QString own = tmp + QStringLiteral("/partivakt-%1").arg(::getuid());
        const QString name = desktop::instanceServerName(m_work.path());
        const QByteArray oldTmp = qgetenv("TMPDIR"), oldRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QFile::encodeName(tmp));
        qunsetenv("XDG_RUNTIME_DIR");
        const auto restore = qScopeGuard([&] {
            oldTmp.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", oldTmp);
            oldRuntime.isNull() ? qunsetenv("XDG_RUNTIME_DIR") : qputenv("XDG_RUNTIME_DIR", oldRuntime);
        });

        std::unique_ptr<ForeignClock> foreign;
        if (setUp == QLatin1String("shared runtime")) {
            const QString shared = tmp + QStringLiteral("/shared");
            QVERIFY(QDir().mkdir(shared) && ::chmod(QFile::encodeName(shared).constData(), 0777) == 0);
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(shared));
        } else if (setUp == QLatin1String("symlink")) {
            QVERIFY(QDir().mkdir(tmp + QStringLiteral("/elsewhere")));
            QVERIFY(QFile::link(tmp + QStringLiteral("/elsewhere"), own));
        } else if (setUp == QLatin1String("group")) {
            QVERIFY(QDir().mkdir(own) && ::chmod(QFile::encodeName(own).constData(), 0770) == 0);
        } else if (setUp == QLatin1String("foreign dir")) {
            foreign = std::make_unique<ForeignClock>(QStringList{own}, QStringList{own + QLatin1Char('/') + name});
        } else if (setUp == QLatin1String("foreign socket")) {
            // Bound by the other user where they may write, then moved into the private directory:
            // only the kernel's word on the peer tells it from the clock's own socket.
            const QString open = tmp + QStringLiteral("/open");
            QVERIFY(QDir().mkdir(open) && ::chmod(QFile::encodeName(open).constData(), 0777) == 0);
            QVERIFY(QDir().mkdir(own) && ::chmod(QFile::encodeName(own).constData(), 0700) == 0);
            foreign = std::make_unique<ForeignClock>(QStringList{}, QStringList{open + QStringLiteral("/clock")});
            if (foreign->ok())
                QCOMPARE(std::rename(QFile::encodeName(open + QStringLiteral("/clock")).constData(),
                                     QFile::encodeName(own + QLatin1Char('/') + name).constData()),
                         0);
        }
        if (foreign && !foreign->skipReason().isEmpty())
            QSKIP(qPrintable(foreign->skipReason()));
        QVERIFY(!foreign || foreign->ok());

        SingleInstance instance(m_work.path());
        QVERIFY(!instance.handOver());
        QCOMPARE(instance.listen(), !socketDir.isEmpty());
        QCOMPARE(instance.failure().isEmpty(), !socketDir.isEmpty());
        if (!socketDir.isEmpty()) {
            QCOMPARE(instance.serverPath(), tmp + QLatin1Char('/') + socketDir + QLatin1Char('/') + name);
            struct stat st;
            QCOMPARE(::lstat(QFile::encodeName(tmp + QLatin1Char('/') + socketDir).constData(), &st), 0);
            QCOMPARE(st.st_mode & 07777, mode_t(0700));
        }
    }

    void answer_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("raises");
        QTest::newRow("raise") << QByteArray("raise\n") << QByteArray("ok\n") << 1;
        QTest::newRow("unknown line") << QByteArray("quit\n") << QByteArray() << 0;
        QTest::newRow("raise with more") << QByteArray("raise now\n") << QByteArray() << 0;
        QTest::newRow("endless line") << QByteArray(4096, 'r') << QByteArray() << 0;
    }

    // The running clock obeys its one request and nothing else; an odd peer is sent away.
    void answer()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, reply);
        QFETCH(int, raises);
        SingleInstance instance(m_work.path(), m_runtime->path());
        QVERIFY(!instance.handOver());
        QVERIFY(instance.listen());
        QSignalSpy raised(&instance, &SingleInstance::raiseRequested);

        QLocalSocket peer;
        QSignalSpy gone(&peer, &QLocalSocket::disconnected);
        peer.connectToServer(instance.serverPath());
        QTRY_COMPARE(peer.state(), QLocalSocket::ConnectedState);
        peer.write(request);
        QTRY_COMPARE(gone.count(), 1);
        QCOMPARE(peer.readAll(), reply);
        QCOMPARE(raised.count(), raises);
    }

    // The directory stays locked from the question until the answer can come, so that a start at the
    // same moment waits rather than finding nobody; the socket goes with the clock.
    void lockAndSocketLifetime()
    {
        QString path;
        {
            SingleInstance instance(m_work.path(), m_runtime->path());
            path = instance.serverPath();
            QVERIFY(!instance.handOver());
            QLockFile rival(path + QStringLiteral(".lock"));
            QVERIFY(!rival.tryLock(0));
            QVERIFY(instance.listen());
            QVERIFY(QFileInfo::exists(path));
            QVERIFY(rival.tryLock(0));
        }
        QVERIFY(!QFileInfo::exists(path));
    }

    void bringToFront_data()
    {
        QTest::addColumn<Qt::WindowStates>("before");
        QTest::addColumn<Qt::WindowStates>("after");
        QTest::newRow("normal") << Qt::WindowStates(Qt::WindowNoState) << Qt::WindowStates(Qt::WindowNoState);
        QTest::newRow("minimised") << Qt::WindowStates(Qt::WindowMinimized) << Qt::WindowStates(Qt::WindowNoState);
        QTest::newRow("minimised from maximised")
            << (Qt::WindowMinimized | Qt::WindowMaximized) << Qt::WindowStates(Qt::WindowMaximized);
        QTest::newRow("maximised") << Qt::WindowStates(Qt::WindowMaximized) << Qt::WindowStates(Qt::WindowMaximized);
    }

    // Out of the taskbar, and back to the size it had before it was minimised.
    void bringToFront()
    {
        QFETCH(Qt::WindowStates, before);
        QFETCH(Qt::WindowStates, after);
        QMainWindow window;
        window.setWindowState(before);
        window.show();
        desktop::bringToFront(&window);
        QCOMPARE(window.windowState() & ~Qt::WindowActive, after);
        QVERIFY(!window.isHidden());
    }

private:
    QTemporaryDir m_work;
    std::unique_ptr<QTemporaryDir> m_runtime;
};

QTEST_MAIN(tst_SingleInstance)
#include "tst_singleinstance.moc"
