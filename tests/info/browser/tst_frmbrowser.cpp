#include "info/browser/browsericons.h"
#include "info/browser/frmbrowser.h"
#include "info/browser/webbrowser.h"
#include "pageserver.h"
#include "toolkit/timer.h"
#include "tests/support/manualclock.h"
#include "toolkit/twips.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <memory>

#include <unistd.h>

using info::frmbrowser;

namespace {

const QString kLoading = QStringLiteral("Laster siden...");
// Long enough for a first start of the engine on a busy machine; only ever waited in full when
// something is broken.
constexpr int kEngineWaitMs = 20000;

QStringList listOf(const frmbrowser &w)
{
    QStringList items;
    for (int i = 0; i < w.cboAddress->count(); ++i)
        items.append(w.cboAddress->itemText(i));
    return items;
}

QRect pixelsOf(const QRect &t)
{
    return toolkit::twipsRect(t.x(), t.y(), t.width(), t.height());
}

} // namespace

class tst_frmbrowser : public QObject {
    Q_OBJECT

    support::ManualClock clock;
    QTemporaryDir dir;
    QString oldCwd;
    std::unique_ptr<PageServer> server;
    std::unique_ptr<frmbrowser> w;

    void create()
    {
        w = std::make_unique<frmbrowser>(server->url(QStringLiteral("/start")));
        w->brwWebBrowser->setHomePage(server->url(QStringLiteral("/hjem")));
        w->brwWebBrowser->setSearchPage(server->url(QStringLiteral("/sok")));
    }
    bool waitIdle()
    {
        return waitUntil([this] { return !w->brwWebBrowser->Busy(); }, kEngineWaitMs);
    }
    // Loads the window and lets the home page finish, indicator included.
    bool loaded()
    {
        create();
        w->Form_Load();
        if (!waitIdle())
            return false;
        clock.advance(5);
        return !w->timTimer->isEnabled();
    }
    // Types the text into the address box and presses Enter, as the user does.
    void enter(const QString &text)
    {
        w->cboAddress->clearEditText();
        QTest::keyClicks(w->cboAddress, text);
        QTest::keyClick(w->cboAddress, Qt::Key_Return);
    }
    bool visit(const QString &path)
    {
        enter(server->url(path));
        if (!waitIdle())
            return false;
        clock.advance(5);
        return w->brwWebBrowser->LocationURL() == server->url(path);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        oldCwd = QDir::currentPath();
        QVERIFY(dir.isValid());
        QDir::setCurrent(dir.path());
        toolkit::TimeSource::setCurrent(&clock);
    }
    void cleanupTestCase()
    {
        toolkit::TimeSource::setCurrent(nullptr);
        QDir::setCurrent(oldCwd);
    }
    void init()
    {
        server = std::make_unique<PageServer>();
        QVERIFY(server->isListening());
        server->setTitle(QStringLiteral("/start"), QStringLiteral("Startside"));
    }
    void cleanup()
    {
        w.reset();
        server.reset();
    }

    void stateWhenCreated()
    {
        frmbrowser window;
        QCOMPARE(window.windowTitle(), QStringLiteral("Form1"));
        QCOMPARE(window.homeAddress(), QStringLiteral("https://partivakt.github.io/"));
        QCOMPARE(window.lblAddress->text(), QStringLiteral("&Address:"));
        QCOMPARE(window.lblAddress->buddy(), window.cboAddress);
        QCOMPARE(window.lblAddressTwips(), QRect(45, 60, 3075, 255));
        QCOMPARE(window.cboAddressTwips(), QRect(45, 300, 3795, 315));
        QCOMPARE(window.brwWebBrowserTwips(), QRect(120, 840, 11040, 6975));
        QCOMPARE(window.brwWebBrowser->geometry(), pixelsOf(QRect(120, 840, 11040, 6975)));
        QCOMPARE(window.picAddress->height(), toolkit::twips(675));
        QVERIFY(window.cboAddress->isEditable());
        QCOMPARE(window.cboAddress->count(), 0);
        QCOMPARE(window.timTimer->interval(), 5);
        QVERIFY(!window.timTimer->isEnabled());
        QVERIFY(window.StartingAddress.isEmpty());
        QCOMPARE(window.brwWebBrowser->homePage(), QStringLiteral("https://www.sjakk.no/"));
        QCOMPARE(window.brwWebBrowser->searchPage(), QStringLiteral("https://duckduckgo.com/?kl=no-no"));
        QStringList keys;
        for (QAction *a : window.tbToolBar->actions()) {
            keys.append(a->objectName());
            QVERIFY(!a->icon().isNull());
            QVERIFY(!a->text().isEmpty());
        }
        QCOMPARE(keys, QStringList({"Back", "Forward", "Stop", "Refresh", "Home", "Search"}));
    }

    void pictures()
    {
        const QList<QImage> pictures = info::browserPictures();
        QCOMPARE(pictures.size(), 6);
        for (const QImage &p : pictures) {
            QCOMPARE(p.size(), QSize(24, 24));
            for (QPoint corner : {QPoint(0, 0), QPoint(23, 0), QPoint(0, 23), QPoint(23, 23)})
                QCOMPARE(p.pixelColor(corner), QColor(192, 192, 192));
        }
        for (int i = 0; i < 6; ++i)
            for (int j = i + 1; j < 6; ++j)
                QVERIFY2(pictures[i] != pictures[j], qPrintable(QStringLiteral("%1 = %2").arg(i).arg(j)));
        // The arrows point opposite ways.
        QCOMPARE(pictures[1], pictures[0].mirrored(true, false));
        const auto count = [](const QImage &p, auto pred) {
            int n = 0;
            for (int y = 0; y < p.height(); ++y)
                for (int x = 0; x < p.width(); ++x)
                    n += pred(p.pixelColor(x, y)) ? 1 : 0;
            return n;
        };
        const auto red = [](QColor c) { return c.red() > 180 && c.green() < 60 && c.blue() < 60; };
        const auto white = [](QColor c) { return c.red() > 240 && c.green() > 240 && c.blue() > 240; };
        const auto green = [](QColor c) { return c.green() > 110 && c.red() < 60 && c.blue() < 90; };
        QVERIFY(count(pictures[2], red) > 100);
        QVERIFY(count(pictures[2], white) > 10);
        QVERIFY(white(pictures[2].pixelColor(12, 12)));
        QVERIFY(count(pictures[3], green) > 10);
        QVERIFY(count(pictures[3], white) > 50);
    }

    void loadShowsHomePageWithBusyCaption()
    {
        create();
        QSignalSpy captions(w.get(), &QWidget::windowTitleChanged);
        w->Form_Load();
        QVERIFY(w->isVisible());
        QCOMPARE(w->windowTitle(), QStringLiteral("Form1"));
        QVERIFY(w->timTimer->isEnabled());
        QCOMPARE(w->cboAddress->currentText(), server->url(QStringLiteral("/start")));
        QCOMPARE(w->clientArea()->size(), QSize(toolkit::twips(11175), toolkit::twips(8055)));
        QCOMPARE(w->cboAddressTwips(), QRect(50, 330, 11075, 315));
        QCOMPARE(w->brwWebBrowserTwips(), QRect(120, 840, 11075, 7280));
        QCOMPARE(w->cboAddress->geometry(), pixelsOf(QRect(50, 330, 11075, 315)));

        clock.advance(5);
        QCOMPARE(w->windowTitle(), kLoading);
        QVERIFY(waitIdle());
        clock.advance(5);
        QVERIFY(!w->timTimer->isEnabled());
        QCOMPARE(w->windowTitle(), QStringLiteral("Startside"));
        QCOMPARE(captions.first().first().toString(), kLoading);
        QCOMPARE(listOf(*w), QStringList{server->url(QStringLiteral("/start"))});
        QCOMPARE(w->cboAddress->currentText(), server->url(QStringLiteral("/start")));
        // Idle: further time changes nothing.
        clock.advance(100);
        QCOMPARE(w->windowTitle(), QStringLiteral("Startside"));
    }

    void loadOpensStartingAddress()
    {
        server->setTitle(QStringLiteral("/annen"), QStringLiteral("Annen start"));
        create();
        const QString start = server->url(QStringLiteral("/annen"));
        w->StartingAddress = start;
        w->Form_Load();
        QCOMPARE(w->cboAddress->currentText(), start);
        QCOMPARE(listOf(*w), QStringList{start});
        QVERIFY(w->timTimer->isEnabled());
        QVERIFY(waitUntil([this] { return w->windowTitle() == QLatin1String("Annen start"); }, kEngineWaitMs));
        QVERIFY(waitIdle());
        clock.advance(5);
        QCOMPARE(w->windowTitle(), QStringLiteral("Annen start"));
        QCOMPARE(listOf(*w), QStringList{start});
        QCOMPARE(w->cboAddressTwips().topLeft(), QPoint(50, 330));
    }

    void addressListKeepsEachTextOnceMostRecentFirst_data()
    {
        QTest::addColumn<QStringList>("visits");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("new addresses go on top")
            << QStringList{"/a", "/b", "/c"} << QStringList{"/c", "/b", "/a", "/start"};
        QTest::newRow("a revisit moves to the top")
            << QStringList{"/a", "/b", "/a"} << QStringList{"/a", "/b", "/start"};
        QTest::newRow("home again") << QStringList{"/a", "/start"} << QStringList{"/start", "/a"};
        QTest::newRow("letter case makes two")
            << QStringList{"/Side", "/side", "/Side"} << QStringList{"/Side", "/side", "/start"};
    }
    void addressListKeepsEachTextOnceMostRecentFirst()
    {
        QFETCH(QStringList, visits);
        QFETCH(QStringList, expected);
        QVERIFY(loaded());
        for (const QString &path : visits)
            QVERIFY2(visit(path), qPrintable(path));
        QStringList expectedUrls;
        for (const QString &path : expected)
            expectedUrls.append(server->url(path));
        QCOMPARE(listOf(*w), expectedUrls);
        QCOMPARE(w->cboAddress->currentText(), expectedUrls.first());
        QCOMPARE(w->windowTitle(), server->title(visits.last()));
        // Keeping the list never navigates by itself: one request per visit.
        for (const QString &path : visits)
            QCOMPARE(server->requests().count(path), visits.count(path) + (path == QLatin1String("/start") ? 1 : 0));
    }

    void enterNavigatesToTheTypedText_data()
    {
        QTest::addColumn<QString>("typed"); // %1 is the server's port
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("listed");
        QTest::newRow("full address") << "http://127.0.0.1:%1/Skrevet/Sti?a=B"
                                      << "/Skrevet/Sti?a=B"
                                      << "http://127.0.0.1:%1/Skrevet/Sti?a=B";
        QTest::newRow("without scheme, listed as the engine has it") << "127.0.0.1:%1/kort"
                                                                     << "/kort"
                                                                     << "http://127.0.0.1:%1/kort";
    }
    void enterNavigatesToTheTypedText()
    {
        QFETCH(QString, typed);
        QFETCH(QString, request);
        QFETCH(QString, listed);
        QVERIFY(loaded());
        const QString port = server->url(QString()).section(QLatin1Char(':'), -1);
        typed = typed.arg(port);
        listed = listed.arg(port);
        enter(typed);
        QVERIFY(w->timTimer->isEnabled());
        // Listed only once the navigation completes; the key leaves the typed text in the box.
        QCOMPARE(listOf(*w), QStringList{server->url(QStringLiteral("/start"))});
        QCOMPARE(w->cboAddress->currentText(), typed);
        QVERIFY(waitIdle());
        QCOMPARE(server->requests().last(), request);
        QCOMPARE(server->requests().count(request), 1);
        QCOMPARE(listOf(*w).first(), listed);
        QCOMPARE(w->cboAddress->currentText(), listed);
    }

    void choosingFromTheListNavigatesThere()
    {
        QVERIFY(loaded());
        QVERIFY(visit(QStringLiteral("/a")));
        QCOMPARE(w->cboAddress->currentIndex(), 0);
        // The next entry down is the home page.
        QTest::keyClick(w->cboAddress, Qt::Key_Down);
        QVERIFY(w->timTimer->isEnabled());
        QVERIFY(waitUntil([this] { return w->brwWebBrowser->LocationURL() == server->url(QStringLiteral("/start")); },
                          kEngineWaitMs));
        QVERIFY(waitIdle());
        QCOMPARE(listOf(*w), QStringList({server->url("/start"), server->url("/a")}));
        QCOMPARE(server->requests().count(QStringLiteral("/start")), 2);
    }

    void typingAListedAddressAndLeavingDoesNotNavigate()
    {
        QVERIFY(loaded());
        QVERIFY(visit(QStringLiteral("/a")));
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->cboAddress->setFocus();
        w->cboAddress->clearEditText();
        QTest::keyClicks(w->cboAddress, server->url(QStringLiteral("/start")));
        const QStringList requestsBefore = server->requests();
        w->brwWebBrowser->view()->setFocus();
        QVERIFY(!w->cboAddress->hasFocus());
        QVERIFY(!w->timTimer->isEnabled());
        QVERIFY(visit(QStringLiteral("/etter")));
        QCOMPARE(server->requests(), requestsBefore + QStringList{"/etter"});
    }

    void toolbarCommands_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expectedPath");
        QTest::newRow("Back") << "Back"
                              << "/a";
        QTest::newRow("Forward") << "Forward"
                                 << "/b";
        QTest::newRow("Refresh") << "Refresh"
                                 << "/b";
        QTest::newRow("Home") << "Home"
                              << "/hjem";
        QTest::newRow("Search") << "Search"
                                << "/sok";
    }
    void toolbarCommands()
    {
        QFETCH(QString, key);
        QFETCH(QString, expectedPath);
        QVERIFY(loaded());
        QVERIFY(visit(QStringLiteral("/a")));
        QVERIFY(visit(QStringLiteral("/b")));
        if (key == QLatin1String("Forward")) {
            w->BrowserCommand(QStringLiteral("Back"));
            QVERIFY(waitUntil([this] { return w->brwWebBrowser->LocationURL() == server->url("/a"); }, kEngineWaitMs));
            QVERIFY(waitIdle());
        }
        const int requestsBefore = server->requests().size();
        QAction *action = w->tbToolBar->findChild<QAction *>(key);
        QVERIFY(action);
        action->trigger();
        QVERIFY(w->timTimer->isEnabled());
        clock.advance(5);
        QCOMPARE(w->windowTitle(), kLoading);
        QVERIFY(waitUntil(
            [&] { return w->brwWebBrowser->LocationURL() == server->url(expectedPath) && !w->brwWebBrowser->Busy(); },
            kEngineWaitMs));
        if (key == QLatin1String("Refresh") || key == QLatin1String("Home") || key == QLatin1String("Search"))
            QCOMPARE(server->requests().mid(requestsBefore), QStringList{expectedPath});
        clock.advance(5);
        QVERIFY(!w->timTimer->isEnabled());
        QCOMPARE(w->windowTitle(), server->title(expectedPath));
        QCOMPARE(listOf(*w).first(), server->url(expectedPath));
    }

    void unknownCommandRunsTheIndicatorUntilTheNextIdleTick_data()
    {
        QTest::addColumn<QString>("key");
        QTest::newRow("Norwegian name") << "Tilbake";
        QTest::newRow("other letter case") << "back";
        QTest::newRow("empty") << "";
    }
    void unknownCommandRunsTheIndicatorUntilTheNextIdleTick()
    {
        QFETCH(QString, key);
        QVERIFY(loaded());
        QVERIFY(visit(QStringLiteral("/a")));
        const QStringList requestsBefore = server->requests();
        w->BrowserCommand(key);
        QVERIFY(w->timTimer->isEnabled());
        QVERIFY(!w->brwWebBrowser->Busy());
        clock.advance(5);
        QVERIFY(!w->timTimer->isEnabled());
        QCOMPARE(w->windowTitle(), server->title(QStringLiteral("/a")));
        // Nothing was asked of the engine: the next page is the next thing it loads.
        QVERIFY(visit(QStringLiteral("/etter")));
        QCOMPARE(server->requests(), requestsBefore + QStringList{"/etter"});
    }

    void stopWhileLoadingShowsTheTitleAtOnce()
    {
        QVERIFY(loaded());
        enter(server->url(QStringLiteral("/henger")));
        QVERIFY(waitUntil([this] { return server->requests().contains(QStringLiteral("/henger")); }, kEngineWaitMs));
        clock.advance(5);
        QCOMPARE(w->windowTitle(), kLoading);
        QVERIFY(w->brwWebBrowser->Busy());
        w->tbToolBar->findChild<QAction *>(QStringLiteral("Stop"))->trigger();
        QCOMPARE(w->windowTitle(), QStringLiteral("Startside"));
        QVERIFY(!w->timTimer->isEnabled());
        QVERIFY(waitIdle());
        clock.advance(100);
        QCOMPARE(w->windowTitle(), QStringLiteral("Startside"));
        QCOMPARE(w->brwWebBrowser->LocationURL(), server->url(QStringLiteral("/start")));
    }

    void unreachableAddressShowsTheEnginesErrorPage()
    {
        QVERIFY(loaded());
        const QString address = PageServer::unreachableUrl();
        bool failed = false;
        connect(w->brwWebBrowser->view()->page(), &QWebEnginePage::loadingChanged, this,
                [&](const QWebEngineLoadingInfo &info) {
                    failed = failed || (info.status() == QWebEngineLoadingInfo::LoadFailedStatus &&
                                        info.url() == QUrl(address) && info.isErrorPage());
                });
        enter(address);
        clock.advance(5);
        QCOMPARE(w->windowTitle(), kLoading);
        QVERIFY(waitIdle());
        clock.advance(5);
        QVERIFY(!w->timTimer->isEnabled());
        QVERIFY(failed);
        QCOMPARE(w->brwWebBrowser->LocationURL(), address);
        QCOMPARE(listOf(*w).first(), address);
        QCOMPARE(w->windowTitle(), w->brwWebBrowser->LocationName());
        QVERIFY(w->windowTitle() != kLoading);
        // The window goes on working.
        QVERIFY(visit(QStringLiteral("/etter")));
    }

    void resizeRule_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QRect>("address");
        QTest::addColumn<QRect>("browser");
        QTest::newRow("6000 x 4000") << 6000 << 4000 << QRect(50, 330, 5900, 315) << QRect(120, 840, 5900, 3225);
        QTest::newRow("exactly the margins") << 100 << 775 << QRect(50, 330, 0, 315) << QRect(120, 840, 0, 0);
        QTest::newRow("too narrow") << 99 << 4000 << QRect(50, 330, 11075, 315) << QRect(120, 840, 11075, 3225);
        QTest::newRow("too low") << 6000 << 774 << QRect(50, 330, 5900, 315) << QRect(120, 840, 5900, 7280);
        QTest::newRow("minimized") << 0 << 0 << QRect(50, 330, 11075, 315) << QRect(120, 840, 11075, 7280);
    }
    void resizeRule()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QRect, address);
        QFETCH(QRect, browser);
        create();
        w->Form_Load();
        w->resizeClientTwips(float(width), float(height));
        QCOMPARE(w->cboAddressTwips(), address);
        QCOMPARE(w->brwWebBrowserTwips(), browser);
        QCOMPARE(w->cboAddress->geometry(), pixelsOf(address));
        QCOMPARE(w->brwWebBrowser->geometry(), pixelsOf(browser));
    }

    void resizingTheWindowLaysOut()
    {
        create();
        w->Form_Load();
        QWidget *client = w->clientArea();
        const QSize before = client->size();
        w->resize(w->width() - 100, w->height() - 60);
        QVERIFY(waitUntil([&] { return client->size() != before; }, 5000));
        const int cw = client->width() * 15, ch = client->height() * 15;
        QCOMPARE(w->cboAddressTwips(), QRect(50, 330, cw - 100, 315));
        QCOMPARE(w->brwWebBrowserTwips(), QRect(120, 840, cw - 100, ch - 775));
        QCOMPARE(w->brwWebBrowser->geometry(), pixelsOf(w->brwWebBrowserTwips()));
        QCOMPARE(w->picAddress->width(), client->width());

        // Lower than the margins: nothing gets a negative size, the height stays as it was.
        const QRect browserBefore = w->brwWebBrowserTwips();
        w->resize(1, w->height() - client->height() + 20);
        QVERIFY(waitUntil([&] { return client->height() * 15 < 775; }, 5000));
        QCOMPARE(w->brwWebBrowserTwips().height(), browserBefore.height());
        QCOMPARE(w->brwWebBrowserTwips().width(), client->width() * 15 - 100);
        for (QWidget *c : {static_cast<QWidget *>(w->cboAddress), static_cast<QWidget *>(w->brwWebBrowser)}) {
            QVERIFY(c->width() >= 0);
            QVERIFY(c->height() >= 0);
        }
        QVERIFY(w->cboAddressTwips().width() >= 0);
        QVERIFY(w->brwWebBrowserTwips().width() >= 0);
    }
};

int main(int argc, char **argv)
{
    // The engine needs a shared graphics context and, as root, no sandbox, before the application
    // exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    QApplication app(argc, argv);
    tst_frmbrowser test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_frmbrowser.moc"
