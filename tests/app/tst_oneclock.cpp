#include "desktop/singleinstance.h"
#include "tests/support/files.h"
#include "tests/support/foreignclock.h"
#include "tests/support/xvfb.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>
#include <memory>

// Starting the program where a clock already runs, with the real program in real processes.
class tst_OneClock : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        m_runtime = std::make_unique<QTemporaryDir>();
        m_first = std::make_unique<QTemporaryDir>();
        m_second = std::make_unique<QTemporaryDir>();
        QVERIFY(m_runtime->isValid() && m_first->isValid() && m_second->isValid());
        QDir::setCurrent(m_first->path());
    }

    void cleanup()
    {
        for (const auto &clock : m_clocks) {
            clock->kill();
            clock->waitForFinished(5000);
        }
        m_clocks.clear();
        m_screen.stop();
        m_runtimePath.clear();
        m_sharedTmp.clear();
    }

    void secondStartHandsOver()
    {
        // A game under way, saved by the backup; no clock runs before a game starts, so nothing but
        // a second clock could write it.
        const QByteArray backup = "12\r\n34\r\n5\r\n6\r\nAnne\r\nBj\xf8rn\r\n30\r\n";
        QVERIFY(writeRaw(m_first->filePath(QStringLiteral("Sikkerhetskopi.sur")), backup));

        QProcess *first = start(m_first->path());
        QVERIFY(waitAnswering(m_first->path()));

        QProcess *second = start(m_first->path());
        QVERIFY2(second->waitForFinished(20000), "the second start did not end");
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(first->state(), QProcess::Running);
        QCOMPARE(readRaw(m_first->filePath(QStringLiteral("Sikkerhetskopi.sur"))), backup);

        // The first is still the directory's clock: the next start hands over too.
        QProcess *third = start(m_first->path());
        QVERIFY(third->waitForFinished(20000));
        QCOMPARE(third->exitCode(), 0);
        QCOMPARE(first->state(), QProcess::Running);
    }

    void otherDirectoryIsIndependent()
    {
        QProcess *first = start(m_first->path());
        QVERIFY(waitAnswering(m_first->path()));
        QProcess *second = start(m_second->path());
        QVERIFY(waitAnswering(m_second->path()));
        QVERIFY(!second->waitForFinished(500));
        QCOMPARE(first->state(), QProcess::Running);
        QCOMPARE(second->state(), QProcess::Running);
    }

    void killedClockIsTakenOver()
    {
        QProcess *first = start(m_first->path());
        QVERIFY(waitAnswering(m_first->path()));
        ::kill(pid_t(first->processId()), SIGKILL);
        QVERIFY(first->waitForFinished(5000));
        // What the killed clock left behind: a socket nobody listens on.
        const QString path = serverPath(m_first->path());
        QVERIFY(QFile::exists(path));
        QVERIFY(!answers(path));

        QProcess *again = start(m_first->path());
        QVERIFY2(waitAnswering(m_first->path()), "no clock took over the directory");
        QCOMPARE(again->state(), QProcess::Running);

        // It is the directory's clock now, not a stray beside a dead one.
        QProcess *later = start(m_first->path());
        QVERIFY(later->waitForFinished(20000));
        QCOMPARE(later->exitCode(), 0);
        QCOMPARE(again->state(), QProcess::Running);
    }

    void startsAtTheSameMoment()
    {
        for (int round = 0; round < 3; ++round) {
            QProcess *a = start(m_first->path(), false);
            QProcess *b = start(m_first->path(), false);
            QVERIFY(a->waitForStarted(10000) && b->waitForStarted(10000));
            QVERIFY(waitAnswering(m_first->path()));
            // Exactly one of them stays; the other hands over and ends.
            QTRY_VERIFY_WITH_TIMEOUT(a->state() != QProcess::Running || b->state() != QProcess::Running, 20000);
            QProcess *ended = a->state() == QProcess::Running ? b : a;
            QProcess *stays = ended == a ? b : a;
            QCOMPARE(ended->exitStatus(), QProcess::NormalExit);
            QCOMPARE(ended->exitCode(), 0);
            QVERIFY(!stays->waitForFinished(300));
            cleanup();
        }
    }

    // On a real X screen: the running window comes up over another clock's window, and no second
    // main window appears for the directory.
    void runningWindowComesToTheFront()
    {
        if (const QString missing = VirtualScreen::missing({QStringLiteral("xwininfo"), QStringLiteral("xprop")});
            !missing.isEmpty())
            QSKIP(qPrintable(missing));
        const QString failed = m_screen.start();
        QVERIFY2(failed.isEmpty(), qPrintable(failed));

        QProcess *first = start(m_first->path());
        QTRY_COMPARE_WITH_TIMEOUT(mainWindowPids().size(), 1, 20000);
        QProcess *other = start(m_second->path());
        QTRY_COMPARE_WITH_TIMEOUT(mainWindowPids().size(), 2, 20000);
        QCOMPARE(mainWindowPids().constFirst(), other->processId());

        QProcess *again = start(m_first->path());
        QVERIFY(again->waitForFinished(20000));
        QCOMPARE(again->exitCode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(mainWindowPids().constFirst(), first->processId(), 10000);
        QCOMPARE(mainWindowPids().size(), 2);
    }

    // Where no socket can be made, every start runs as a clock of its own rather than none at all.
    void unguardedStartsRun()
    {
        m_runtime = std::make_unique<QTemporaryDir>();
        const QString deep = m_runtime->filePath(QString(108, QLatin1Char('d')));
        QVERIFY(QDir().mkpath(deep));
        QVERIFY(QFile::setPermissions(deep, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        m_runtimePath = deep;
        QProcess *first = start(m_first->path());
        QProcess *second = start(m_first->path());
        QVERIFY(!second->waitForFinished(1500));
        QCOMPARE(first->state(), QProcess::Running);
        QCOMPARE(second->state(), QProcess::Running);
    }

    // Without a runtime directory the socket's place can be computed by anyone: another user who
    // answers there, at the name older clocks used or in the private directory, must not end a start.
    void anotherUsersClockDoesNotEndAStart()
    {
        const QString tmp = m_runtime->path();
        QCOMPARE(::chmod(QFile::encodeName(tmp).constData(), 01777), 0);
        const QString name = desktop::instanceServerName(m_first->path());
        const QString own = tmp + QStringLiteral("/partivakt-%1").arg(::getuid());
        ForeignClock foreign({own}, {tmp + QLatin1Char('/') + name, own + QLatin1Char('/') + name});
        if (!foreign.skipReason().isEmpty())
            QSKIP(qPrintable(foreign.skipReason()));
        QVERIFY(foreign.ok());
        m_sharedTmp = tmp;
        QProcess *clock = start(m_first->path());
        QVERIFY2(!clock->waitForFinished(3000), "the start obeyed another user's socket and ended");
    }

private:
    // The processes owning the main windows on the screen, topmost first.
    QList<qint64> mainWindowPids() const
    {
        QList<qint64> pids;
        const QString tree = run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-children")});
        for (const QString &line : tree.split(QLatin1Char('\n'))) {
            if (!line.contains(QLatin1String("\"Partivakt v" PARTIVAKT_VERSION "\"")))
                continue;
            const QString id = line.trimmed().section(QLatin1Char(' '), 0, 0);
            const QString pid =
                run(QStringLiteral("xprop"), {QStringLiteral("-id"), id, QStringLiteral("_NET_WM_PID")});
            pids.append(pid.section(QLatin1Char('='), 1).trimmed().toLongLong());
        }
        return pids;
    }

    QString run(const QString &tool, QStringList arguments) const
    {
        QProcess process;
        arguments << QStringLiteral("-display") << m_screen.display();
        process.start(tool, arguments);
        process.waitForFinished(10000);
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    QProcess *start(const QString &dir, bool wait = true)
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (m_sharedTmp.isEmpty()) {
            env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtimePath.isEmpty() ? m_runtime->path() : m_runtimePath);
        } else { // a start from su, ssh or cron
            env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
            env.insert(QStringLiteral("TMPDIR"), m_sharedTmp);
        }
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QT_ACCESSIBILITY"), QStringLiteral("0"));
        if (!m_screen.display().isEmpty())
            m_screen.addTo(env);
        process->setProcessEnvironment(env);
        process->setWorkingDirectory(dir);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(QStringLiteral(PARTIVAKT_BIN), {});
        if (wait && !process->waitForStarted(10000))
            qWarning("could not start the program: %s", qPrintable(process->errorString()));
        m_clocks.push_back(std::move(process));
        return m_clocks.back().get();
    }

    QString serverPath(const QString &dir) const
    {
        return m_runtime->path() + QLatin1Char('/') + desktop::instanceServerName(dir);
    }

    // Connects without asking anything: a clock lets such a peer go.
    static bool answers(const QString &path)
    {
        QLocalSocket socket;
        socket.connectToServer(path);
        return socket.waitForConnected(500);
    }

    bool waitAnswering(const QString &dir) const
    {
        const QString path = serverPath(dir);
        QDeadlineTimer deadline(20000);
        while (!deadline.hasExpired()) {
            if (answers(path))
                return true;
            QTest::qWait(20);
        }
        return false;
    }

    std::unique_ptr<QTemporaryDir> m_runtime, m_first, m_second;
    std::vector<std::unique_ptr<QProcess>> m_clocks;
    VirtualScreen m_screen;
    QString m_runtimePath; // a runtime directory other than m_runtime's
    QString m_sharedTmp;   // when set, no runtime directory and this as the shared temporary directory
};

QTEST_MAIN(tst_OneClock)
#include "tst_oneclock.moc"
