#include "info/browser/browserloader.h"
#include "pageserver.h"

#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

bool engineMapped()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return false;
    return maps.readAll().contains("libQt6WebEngineCore");
}

QList<QWidget *> browserWindows()
{
    QList<QWidget *> found;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmbrowser"))
            found.append(w);
    return found;
}

} // namespace

// The clock side of the browser: it links no engine, and loads the module only when the window
// first opens. The cases without a module run first, before the module is in the process.
class tst_browserloader : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(dir.isValid());
        qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
    }

    void withoutAUsableModuleTheClockGoesOn_data()
    {
        QTest::addColumn<QString>("module");
        QTest::newRow("no module file") << "missing/partivakt_browser.so";
        QTest::newRow("not a module") << "notamodule.so";
    }
    void withoutAUsableModuleTheClockGoesOn()
    {
        QFETCH(QString, module);
        QFile junk(dir.filePath(QStringLiteral("notamodule.so")));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("dette er ingen modul\n");
        junk.close();
        info::detail::setModuleForTests(dir.filePath(module));

        const QString reason = info::browserUnavailableReason();
        QVERIFY(reason.startsWith(QLatin1String("Nettleseren ")));
        QCOMPARE(info::showBrowserWindow(), reason);
        QVERIFY(!info::browserModuleLoaded());
        QVERIFY(browserWindows().isEmpty());
        QVERIFY(!engineMapped());
        // The program itself is unharmed.
        QWidget clock;
        clock.show();
        QVERIFY(QTest::qWaitForWindowExposed(&clock));
        info::detail::setModuleForTests(std::nullopt);
    }

    void moduleLoadsOnFirstOpenOnly()
    {
        if (!info::browserUnavailableReason().isEmpty())
            QSKIP("built without the browser module");
        QVERIFY(!engineMapped());
        QVERIFY(!info::browserModuleLoaded());

        PageServer server;
        server.setTitle(QStringLiteral("/fra-modulen"), QStringLiteral("Fra modulen"));
        QCOMPARE(info::showBrowserWindow(server.url(QStringLiteral("/fra-modulen"))), QString());
        QVERIFY(info::browserModuleLoaded());
        QVERIFY(engineMapped());
        if (::geteuid() == 0)
            QCOMPARE(qgetenv("QTWEBENGINE_DISABLE_SANDBOX"), QByteArray("1"));
        QCOMPARE(browserWindows().size(), 1);
        QPointer<QWidget> first = browserWindows().first();
        QVERIFY(first->isVisible());
        // The page really loads, in the engine's own processes.
        QVERIFY(waitUntil([&] { return first->windowTitle() == QLatin1String("Fra modulen"); }, 20000));

        // Shown once: a second open brings the same window forward.
        QCOMPARE(info::showBrowserWindow(), QString());
        QCOMPARE(browserWindows(), QList<QWidget *>{first.data()});
        QCOMPARE(first->windowTitle(), QStringLiteral("Fra modulen"));

        // Closing destroys it; the next open starts afresh on the home page.
        first->close();
        QVERIFY(waitUntil([&] { return first.isNull(); }, 5000));
        QCOMPARE(info::showBrowserWindow(), QString());
        QCOMPARE(browserWindows().size(), 1);
        QCOMPARE(browserWindows().first()->findChild<QWidget *>(QStringLiteral("cboAddress"))->property("currentText"),
                 QVariant(QStringLiteral("https://partivakt.github.io/")));
        browserWindows().first()->close();
        QVERIFY(waitUntil([] { return browserWindows().isEmpty(); }, 5000));
    }
};

int main(int argc, char **argv)
{
    // As in the program: the engine may be loaded after the application started.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    QApplication app(argc, argv);
    tst_browserloader test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_browserloader.moc"
