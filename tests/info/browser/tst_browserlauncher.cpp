#include "info/browser/browserlauncher.h"
#include "pageserver.h"
#include "tests/support/procmaps.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

const QString kProgram = QStringLiteral(PARTIVAKT_BROWSER_PROGRAM);

// The browser engine and the GL driver.
const QRegularExpression kEngine(QStringLiteral("libQt6WebEngine|libQt6Quick|libLLVM|_dri\\.so"));

// Whether a process has ended: gone, or a zombie nobody has reaped yet.
bool processGone(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close < 0 || text.mid(close + 2, 1) == "Z";
}

// A stand-in browser program: a shell script that does what the script says.
QString writeScript(const QTemporaryDir &dir, const QString &name, const QByteArray &body)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("#!/bin/sh\n" + body + "\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

bool waitForSignal(QSignalSpy &spy, int count, int timeoutMs)
{
    return waitUntil([&] { return spy.count() >= count; }, timeoutMs);
}

// As a clock would: starts the browser, says its process id once the window is up, and ends when
// told on its input (normally) or when killed.
int runAsClock()
{
    info::BrowserLauncher browser(kProgram, nullptr);
    QObject::connect(&browser, &info::BrowserLauncher::shown, [&browser] {
        std::printf("browser %lld\n", browser.processId());
        std::fflush(stdout);
    });
    if (!browser.show().isEmpty())
        return 2;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [] { QCoreApplication::quit(); });
    return QCoreApplication::exec();
}

} // namespace

// The clock's side of the browser, against the real browser program in its own process.
class tst_browserlauncher : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(dir.isValid());
        QVERIFY(QFileInfo(kProgram).isExecutable());
    }

    void withoutTheProgramTheMenuSaysWhy_data()
    {
        QTest::addColumn<QString>("program");
        QTest::newRow("no program file") << "missing/partivakt-browser";
        QTest::newRow("not executable") << "plain-file";
        QTest::newRow("nothing found") << "";
    }
    void withoutTheProgramTheMenuSaysWhy()
    {
        QFETCH(QString, program);
        QFile plain(dir.filePath(QStringLiteral("plain-file")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.write("#!/bin/sh\nexit 0\n");
        plain.close();

        info::BrowserLauncher browser(program.isEmpty() ? QString() : dir.filePath(program), nullptr);
        const QString reason = browser.unavailableReason();
        QVERIFY2(reason.startsWith(QLatin1String("Nettleseren er ikke installert")), qPrintable(reason));
        QCOMPARE(browser.show(), reason);
        QVERIFY(!browser.running());
    }

    // How a browser program's end reaches the clock: a normal end (the user closed the window) says
    // nothing, any other end says that the browser stopped, and one that cannot even be linked marks
    // the browser unavailable.
    void theEndOfTheBrowserIsReported_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("message"); // the start of the message, empty for none
        QTest::addColumn<bool>("unavailable");
        QTest::newRow("closed by the user") << QByteArray("echo 'shown 1'; exit 0") << QString() << false;
        QTest::newRow("failed") << QByteArray("echo 'shown 1'; exit 3")
                                << "Nettleseren stoppet uventet (avsluttet med kode 3)" << false;
        QTest::newRow("crashed") << QByteArray("echo 'shown 1'; kill -SEGV $$")
                                 << "Nettleseren stoppet uventet (avbrutt av signal 11)" << false;
        QTest::newRow("engine missing")
            << QByteArray("echo 'partivakt-browser: error while loading shared libraries: "
                          "libQt6WebEngineCore.so.6: cannot open shared object file' >&2; exit 127")
            << "Nettleseren kan ikke åpnes: nettleserprogrammet kunne ikke starte (partivakt-browser: error while "
               "loading shared libraries: libQt6WebEngineCore.so.6"
            << true;
    }
    void theEndOfTheBrowserIsReported()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, message);
        QFETCH(bool, unavailable);
        info::BrowserLauncher browser(writeScript(dir, QStringLiteral("fake-browser"), script), nullptr);
        QSignalSpy stopped(&browser, &info::BrowserLauncher::stopped);
        QSignalSpy unusable(&browser, &info::BrowserLauncher::becameUnavailable);
        QCOMPARE(browser.show(), QString());
        QVERIFY(waitUntil([&] { return !browser.running(); }, 10000));
        QCoreApplication::processEvents();
        if (message.isEmpty()) {
            QCOMPARE(stopped.count(), 0);
        } else {
            QCOMPARE(stopped.count(), 1);
            const QString said = stopped.first().first().toString();
            QVERIFY2(said.startsWith(message), qPrintable(said));
        }
        QCOMPARE(unusable.count(), unavailable ? 1 : 0);
        QCOMPARE(browser.unavailableReason().isEmpty(), !unavailable);
        if (unavailable)
            QCOMPARE(browser.show(), browser.unavailableReason());
    }

    void opensOneWindowAndRaisesIt()
    {
        PageServer server;
        info::BrowserLauncher browser(kProgram, nullptr);
        QSignalSpy shown(&browser, &info::BrowserLauncher::shown);
        int clockTicks = 0;
        QTimer clock;
        connect(&clock, &QTimer::timeout, this, [&] { ++clockTicks; });
        clock.start(10);

        QCOMPARE(browser.show(server.url(QStringLiteral("/fra-klokka"))), QString());
        // The clock does not wait for the browser: the call is back before the window is up, and
        // the clock goes on counting while the engine starts.
        QCOMPARE(shown.count(), 0);
        QVERIFY(browser.running());
        const int ticksAtOpen = clockTicks;
        QVERIFY(waitForSignal(shown, 1, 60000));
        QVERIFY(clockTicks > ticksAtOpen);
        QCOMPARE(browser.windowsOpen(), 1);
        const qint64 pid = browser.processId();
        QVERIFY(waitUntil([&] { return server.requests().contains(QStringLiteral("/fra-klokka")); }, 30000));

        // Asked for again: the same program brings its one window forward.
        QCOMPARE(browser.show(), QString());
        QVERIFY(waitForSignal(shown, 2, 20000));
        QCOMPARE(browser.processId(), pid);
        QCOMPARE(browser.windowsOpen(), 1);

        // The engine stays in the browser's process.
        QVERIFY(support::mapsFile(kEngine, pid));
        QCOMPARE(support::mappedFiles(kEngine), QStringList());
    }

    // A browser killed outright or hung is reported, never waited for, and the next open starts a
    // fresh one.
    void aBrowserThatDiesOrHangsIsReplaced_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("message");
        QTest::newRow("killed") << int(SIGKILL) << "Nettleseren stoppet uventet (avbrutt av signal 9)";
        QTest::newRow("hung") << int(SIGSTOP) << "Nettleseren svarte ikke og ble stoppet";
    }
    void aBrowserThatDiesOrHangsIsReplaced()
    {
        QFETCH(int, signal);
        QFETCH(QString, message);
        info::BrowserLauncher browser(kProgram, nullptr);
        browser.setAnswerTimeout(1000);
        QSignalSpy shown(&browser, &info::BrowserLauncher::shown);
        QSignalSpy stopped(&browser, &info::BrowserLauncher::stopped);
        QCOMPARE(browser.show(), QString());
        QVERIFY(waitForSignal(shown, 1, 60000));
        const qint64 first = browser.processId();

        QCOMPARE(::kill(pid_t(first), signal), 0);
        if (signal == SIGSTOP)
            QCOMPARE(browser.show(), QString()); // the raise it will never answer
        QVERIFY(waitForSignal(stopped, 1, 20000));
        QVERIFY2(stopped.first().first().toString().startsWith(message),
                 qPrintable(stopped.first().first().toString()));
        QVERIFY(!browser.running());
        QVERIFY(waitUntil([&] { return processGone(first); }, 5000));

        QCOMPARE(browser.show(), QString());
        QVERIFY(waitForSignal(shown, 2, 60000));
        QVERIFY(browser.processId() != first);
        QCOMPARE(browser.windowsOpen(), 1);
        QCOMPARE(stopped.count(), 1);
    }

    // The browser ends with the clock, however the clock ends.
    void theBrowserEndsWithTheClock_data()
    {
        QTest::addColumn<bool>("killed");
        QTest::newRow("clock ends normally") << false;
        QTest::newRow("clock killed") << true;
    }
    void theBrowserEndsWithTheClock()
    {
        QFETCH(bool, killed);
        QProcess clock;
        clock.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        clock.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--as-clock")});
        QVERIFY(clock.waitForStarted());
        QVERIFY(waitUntil([&] { return clock.canReadLine() || clock.state() == QProcess::NotRunning; }, 60000));
        const QByteArray line = clock.readLine().trimmed();
        QVERIFY2(line.startsWith("browser "), line.constData());
        const qint64 browserPid = line.mid(8).toLongLong();
        QVERIFY(browserPid > 0);
        QVERIFY(!processGone(browserPid));

        if (killed) {
            clock.kill();
        } else {
            clock.write("quit\n");
        }
        QVERIFY(clock.waitForFinished(10000));
        // Bounded generously for a loaded machine; the browser goes at once in practice.
        QVERIFY(waitUntil([&] { return processGone(browserPid); }, 5000));
    }
};

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    QCoreApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--as-clock") == 0)
        return runAsClock();
    tst_browserlauncher test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_browserlauncher.moc"
