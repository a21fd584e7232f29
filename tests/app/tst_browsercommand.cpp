#include "app/wiring.h"
#include "clock/frmhoved.h"
#include "tests/support/procmaps.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

using Lasting = gameclock::frmhoved::Lasting;

// The browser programs this process has started and that still run.
QList<qint64> browsers()
{
    QList<qint64> found;
    const QString self = QString::number(QCoreApplication::applicationPid());
    for (const QString &task :
         QDir(QStringLiteral("/proc/%1/task").arg(self)).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile children(QStringLiteral("/proc/%1/task/%2/children").arg(self, task));
        if (!children.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &pid : children.readAll().simplified().split(' ')) {
            QFile comm(QStringLiteral("/proc/%1/comm").arg(QString::fromLatin1(pid)));
            if (!pid.isEmpty() && comm.open(QIODevice::ReadOnly) && comm.readAll().startsWith("partivakt-brow"))
                found.append(pid.toLongLong());
        }
    }
    return found;
}

const QRegularExpression kEngine(QStringLiteral("libQt6WebEngineCore"));

} // namespace

// "Hjelp > Nettleser" in the main window, against the real browser program.
class tst_browsercommand : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(dir.isValid());
        QDir::setCurrent(dir.path());
    }

    void aStoppedBrowserIsReportedAndStartedAfresh()
    {
        gameclock::frmhoved main;
        app::connectWindows(main);
        main.show();
        QCOMPARE(main.Nettleser->text(), QStringLiteral("&Nettleser"));
        // The clock runs throughout.
        QVERIFY(QTest::qWaitFor([&] { return !main.Timer1->isEnabled(); })); // the start-up has run
        main.starta->click();
        QVERIFY(main.tida->isActive() || main.tidb->isActive());

        main.Nettleser->trigger();
        QVERIFY(QTest::qWaitFor([] { return browsers().size() == 1 && support::mapsFile(kEngine, browsers().first()); }, 60000));
        const qint64 first = browsers().first();
        // Asked for again: still the one browser.
        main.Nettleser->trigger();
        QTest::qWait(500);
        QCOMPARE(browsers(), QList<qint64>{first});
        QCOMPARE(main.lastingMessage(Lasting::Browser), QString());

        QCOMPARE(::kill(pid_t(first), SIGKILL), 0);
        QVERIFY(QTest::qWaitFor([&] { return !main.lastingMessage(Lasting::Browser).isEmpty(); }, 10000));
        QVERIFY2(main.lastingMessage(Lasting::Browser).startsWith(QLatin1String("Nettleseren stoppet uventet")),
                 qPrintable(main.lastingMessage(Lasting::Browser)));
        QVERIFY(main.tida->isActive() || main.tidb->isActive());
        QVERIFY(browsers().isEmpty());

        // The next open starts a fresh browser and clears the note.
        main.Nettleser->trigger();
        QCOMPARE(main.lastingMessage(Lasting::Browser), QString());
        QVERIFY(QTest::qWaitFor([&] { return browsers().size() == 1 && browsers().first() != first; }, 60000));

        // The engine never came into the clock's own process.
        QCOMPARE(support::mappedFiles(kEngine), QStringList());
    }
};

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    QApplication app(argc, argv);
    tst_browsercommand test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_browsercommand.moc"
