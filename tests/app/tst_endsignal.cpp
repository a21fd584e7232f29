#include "tests/support/files.h"
#include "tests/support/privatebus.h"
#include "tests/support/xvfb.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <sys/types.h>

namespace {

const QString kBackup = QStringLiteral("Sikkerhetskopi.sur");

// A's seconds in a whole backup file of a game that A began, or -1.
int secondsOfA(const QByteArray &backup)
{
    const QList<QByteArray> lines = backup.split('\n');
    if (lines.size() != 8 || !backup.endsWith("\r\n"))
        return -1;
    bool ok = false;
    const int seconds = lines[1].chopped(1).toInt(&ok);
    return ok ? seconds : -1;
}

QByteArray gameOfA(int seconds)
{
    return "0\r\n" + QByteArray::number(seconds) + "\r\n0\r\n0\r\nSpiller A\r\nSpiller B\r\n60\r\n";
}

} // namespace

// The real program, on a virtual X screen, ended by a real signal during play: it ends normally
// with status 0 and leaves the backup at the last counted second.
class tst_endsignal : public QObject {
    Q_OBJECT
    QTemporaryDir m_root;
    VirtualScreen m_screen;
    PrivateBus m_bus;

    QString xdotool(const QStringList &arguments)
    {
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        m_screen.addTo(env);
        tool.setProcessEnvironment(env);
        tool.start(QStringLiteral("xdotool"), arguments);
        if (!tool.waitForFinished(10'000) || tool.exitCode() != 0) {
            tool.kill();
            tool.waitForFinished();
            return {};
        }
        return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
    }

    // Starts a game with A's clock the way a player does: Space on the start button that has the
    // focus. Returns why not, or an empty string once the first backup is there.
    QString startGame(QProcess &program, const QString &backup)
    {
        QString window;
        QElapsedTimer waited;
        waited.start();
        while (window.isEmpty() && waited.elapsed() < 30'000) {
            if (program.state() != QProcess::Running)
                return QStringLiteral("the program ended: ") + QString::fromLocal8Bit(program.readAll());
            window = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                              QString::number(program.processId())})
                         .section(QLatin1Char('\n'), 0, 0);
            if (window.isEmpty())
                QThread::msleep(50);
        }
        if (window.isEmpty())
            return QStringLiteral("no window");
        // A key sent before the window has the focus is lost: send it again.
        for (int attempt = 0; attempt < 3; ++attempt) {
            xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window, QStringLiteral("key"),
                     QStringLiteral("space")});
            QElapsedTimer sinceKey;
            sinceKey.start();
            while (sinceKey.elapsed() < 4000) {
                if (QFile::exists(backup))
                    return {};
                QThread::msleep(10);
            }
        }
        return QStringLiteral("no backup after three presses of Space");
    }

    // Waits until A's seconds in the backup change to a value of at least two; returns it.
    static int nextSecond(const QString &backup)
    {
        const int first = secondsOfA(readRaw(backup));
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 5000) {
            const int now = secondsOfA(readRaw(backup));
            if (now != first && now >= 2)
                return now;
            QThread::msleep(2);
        }
        return -1;
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (const QString missing = VirtualScreen::missing({QStringLiteral("xdotool")}); !missing.isEmpty())
            QSKIP(qPrintable(missing));
        QVERIFY(m_root.isValid());
        QVERIFY(QDir(m_root.path()).mkdir(QStringLiteral("runtime")));
        QFile::setPermissions(m_root.filePath(QStringLiteral("runtime")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // The session and system bus of the program: its own, with no service on it.
        if (const QString why = m_bus.start(m_root.path()); !why.isEmpty())
            QSKIP(qPrintable(why));
        const QString failed = m_screen.start();
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
    }

    void endsCleanlyWithTheLastSecond_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<bool>("stoppedAcrossATick");
        const QList<std::pair<const char *, int>> signalsSent = {
            {"SIGTERM", SIGTERM}, {"SIGHUP", SIGHUP}, {"SIGINT", SIGINT}};
        for (const auto &[name, number] : signalsSent) {
            QTest::addRow("%s between two ticks", name) << number << false;
            // The program is stopped while its next tick falls due and the signal comes: on waking
            // it has a tick and the signal to handle at once.
            QTest::addRow("%s with a tick due", name) << number << true;
        }
    }
    void endsCleanlyWithTheLastSecond()
    {
        QFETCH(int, signalNumber);
        QFETCH(bool, stoppedAcrossATick);
        QTemporaryDir work;
        QVERIFY(work.isValid());
        const QString backup = work.filePath(kBackup);

        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        m_screen.addTo(env);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_root.filePath(QStringLiteral("runtime")));
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_bus.address());
        env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_bus.address());
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(work.path());
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(QStringLiteral(PARTIVAKT_PROGRAM), {});
        QVERIFY(program.waitForStarted());
        const auto killIt = qScopeGuard([&program] {
            if (program.state() != QProcess::NotRunning) {
                ::kill(pid_t(program.processId()), SIGCONT);
                program.kill();
                program.waitForFinished();
            }
        });

        const QString why = startGame(program, backup);
        QVERIFY2(why.isEmpty(), qPrintable(why));
        // Just after a tick was written, so that the moment of the signal is well away from the next.
        const int seconds = nextSecond(backup);
        QVERIFY2(seconds >= 2 && seconds < 59, qPrintable(readRaw(backup)));
        const pid_t pid = pid_t(program.processId());
        if (stoppedAcrossATick) {
            QThread::msleep(300);
            QCOMPARE(::kill(pid, SIGSTOP), 0);
            QThread::msleep(1200);
            QCOMPARE(::kill(pid, signalNumber), 0);
            QCOMPARE(::kill(pid, SIGCONT), 0);
        } else {
            QThread::msleep(500);
            QCOMPARE(::kill(pid, signalNumber), 0);
        }
        // Logging out waits a few seconds before SIGKILL; two are plenty for one file write.
        QVERIFY2(program.waitForFinished(2000), "still running 2 s after the signal");
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);

        const QByteArray left = readRaw(backup);
        if (stoppedAcrossATick) {
            // Whether the due tick or the signal came first, the file holds the second counted last
            // and is whole.
            QVERIFY2(left == gameOfA(seconds) || left == gameOfA(seconds + 1), left.constData());
            qInfo("stopped at second %d, the backup holds second %d", seconds, secondsOfA(left));
        } else {
            QCOMPARE(left, gameOfA(seconds));
        }
        // Nothing half-written is left behind.
        QCOMPARE(QDir(work.path()).entryList(QDir::Files | QDir::Hidden), QStringList{kBackup});
    }
};

QTEST_GUILESS_MAIN(tst_endsignal)
#include "tst_endsignal.moc"
