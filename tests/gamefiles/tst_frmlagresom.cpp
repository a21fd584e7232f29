#include "gamefiles/frmlagresom.h"

#include "gamefiles/linefiles.h"
#include "toolkit/twips.h"
#include "tests/support/filewindowfixture.h"
#include "tests/support/controltablecheck.h"

#include <QDirIterator>
#include <QUuid>

using gamefiles::frmlagresom;

namespace {

QStringList entriesOf(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

void doubleClickDir(gamefiles::frmlagresom *w, const QString &dir)
{
    const int row = int(w->Dir1->entries().indexOf(dir));
    QVERIFY2(row >= 0, qPrintable(dir));
    QTreeWidgetItemIterator it(w->Dir1);
    for (int i = 0; i < row; ++i)
        ++it;
    doubleClickAt(w->Dir1->viewport(), w->Dir1->visualItemRect(*it).center());
}

// A game under way: A has played 3 s, B is on the move with 2 s.
void playSomeSeconds(FileWindowFixture &f)
{
    f.main().starta->click();
    f.base.clock.advance(3000);
    f.main().Command1->click();
    f.base.clock.advance(2000);
    QCOMPARE(readouts(f.main()), QStringLiteral("0:3 0:2"));
}

const QByteArray kAfterFiveSeconds("0\r\n3\r\n0\r\n2\r\nSpiller A\r\nSpiller B\r\n60\r\n");

} // namespace

class tst_frmlagresom : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void stateWhenCreated()
    {
        FileWindowFixture f;
        frmlagresom *w = f.openSaveAs();
        QVERIFY(w);
        checkBuiltAsTable(w, frmlagresom::controlTable());
        QCOMPARE(w->objectName(), QStringLiteral("frmlagresom"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Lagre som"));
        QVERIFY(w->isWindow());
        QCOMPARE(w->parentWidget(), nullptr);
        QCOMPARE(w->windowModality(), Qt::NonModal);
        QVERIFY(w->testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(w->geometry(), toolkit::twipsRect(2925, 3990, 4980, 4860));
        QCOMPARE(w->font(), f.main().centralWidget()->font());
        QCOMPARE(w->label1->buddy(), w->filnavn);
        QCOMPARE(w->filnavn->text(), QStringLiteral("Spill"));
        QCOMPARE(w->Dir1->path(), f.home);
        QCOMPARE(w->filbane->text(), QDir::toNativeSeparators(f.home));
        QVERIFY(w->melding->isHidden());
        // The name box lies over the right part of its label.
        QVERIFY(w->label1->geometry().intersects(w->filnavn->geometry()));
        QVERIFY(w->children().indexOf(w->label1) < w->children().indexOf(w->filnavn));
        QVERIFY(QTest::qWaitForWindowActive(w));
        QCOMPARE(QApplication::focusWidget(), w->Dir1);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    void tabOrder()
    {
        FileWindowFixture f;
        frmlagresom *w = f.openSaveAs();
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        checkTabsReach({w->filnavn, w->Lagre, w->Avbryt, w->Dir1});
        if (QTest::currentTestFailed())
            return;
        // The name box keeps its text when entered: only the main window's boxes clear.
        QCOMPARE(w->filnavn->text(), QStringLiteral("Spill"));
    }

    void pathBuilding_data()
    {
        QTest::addColumn<QString>("dir");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::newRow("directory") << "/partier"
                                   << "Spill"
                                   << "/partier/Spill.sur";
        QTest::newRow("root doubles the separator") << "/"
                                                    << "Spill"
                                                    << "//Spill.sur";
        QTest::newRow("directory ending in a separator") << "/partier/"
                                                         << "Spill"
                                                         << "/partier//Spill.sur";
        QTest::newRow("empty name") << "/partier"
                                    << ""
                                    << "/partier/.sur";
        QTest::newRow("extension typed") << "/partier"
                                         << "Spill.sur"
                                         << "/partier/Spill.sur.sur";
        QTest::newRow("blanks kept") << "/partier"
                                     << " Spill "
                                     << "/partier/ Spill .sur";
    }
    void pathBuilding()
    {
        QFETCH(QString, dir);
        QFETCH(QString, name);
        QFETCH(QString, path);
        QCOMPARE(gamefiles::saveAsPath(dir, name), path);
    }

    void doubledSeparatorWritesTheFile()
    {
        QTemporaryDir tmp;
        const QString path = gamefiles::saveAsPath(tmp.path() + QStringLiteral("/"), QStringLiteral("Spill"));
        QVERIFY(path.contains(QStringLiteral("//Spill.sur")));
        QVERIFY(!gamefiles::writeGameFile(path, {"0", "0", "0", "0", "A", "B", "60"}));
        QCOMPARE(entriesOf(tmp.path()), QStringList{"Spill.sur"});
    }

    void rootDirectoryThroughTheWindow()
    {
        FileWindowFixture f;
        frmlagresom *w = f.openSaveAs(QDir::rootPath());
        QVERIFY(w);
        QCOMPARE(w->filbane->text(), QDir::toNativeSeparators(QDir::rootPath()));
        // A directory that cannot exist: nothing is written to the root, yet the path shows.
        const QString missing = QStringLiteral("finnes-ikke-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
        w->filnavn->setText(missing + QStringLiteral("/Spill"));
        QTest::mouseClick(w->Lagre, Qt::LeftButton);
        QVERIFY(!w->melding->isHidden());
        const QString expected = QDir::toNativeSeparators(QDir::rootPath()) + QDir::separator() + missing +
                                 QDir::separator() + QStringLiteral("Spill.sur");
        QVERIFY2(w->melding->text().contains(expected), qPrintable(w->melding->text()));
        QVERIFY(!QFileInfo::exists(QStringLiteral("bane.ban")));
    }

    void saveWritesGameAndPath_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("file");
        QTest::newRow("Spill") << "Spill"
                               << "Spill.sur";
        QTest::newRow("empty name") << ""
                                    << ".sur";
        QTest::newRow("extension typed") << "Spill.sur"
                                         << "Spill.sur.sur";
        QTest::newRow("blanks kept") << " to  ord "
                                     << " to  ord .sur";
        QTest::newRow("Norwegian letters") << "Blåbær"
                                           << "Blåbær.sur";
    }
    void saveWritesGameAndPath()
    {
        QFETCH(QString, name);
        QFETCH(QString, file);
        FileWindowFixture f;
        playSomeSeconds(f);
        frmlagresom *w = f.openSaveAs(f.games);
        QVERIFY(w);
        QCOMPARE(w->filbane->text(), QDir::toNativeSeparators(f.games));
        w->filnavn->setText(name);
        QTest::mouseClick(w->Lagre, Qt::LeftButton);

        const QString path = f.games + QLatin1Char('/') + file;
        QCOMPARE(entriesOf(f.games), QStringList{file});
        QCOMPARE(readRaw(path), kAfterFiveSeconds);
        QCOMPARE(readRaw(QStringLiteral("bane.ban")), gamefiles::encodeLines({path}));
        QCOMPARE(gamefiles::readPathFile().path, path);
        QVERIFY(f.main().reportedMessage().contains(path));
        QPointer<frmlagresom> closed(w);
        flushDeletes();
        QVERIFY(closed.isNull());
        // Saving touches no clock.
        QCOMPARE(phaseOf(f.main()), QStringLiteral("running"));
        f.base.clock.advance(1000);
        QCOMPARE(readouts(f.main()), QStringLiteral("0:3 0:3"));
    }

    void browsingChoosesTheDirectory()
    {
        FileWindowFixture f;
        const QString partier = f.makeDir(QStringLiteral("hjem/partier"));
        frmlagresom *w = f.openSaveAs();
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        doubleClickDir(w, partier);
        QCOMPARE(w->Dir1->path(), partier);
        QCOMPARE(w->filbane->text(), QDir::toNativeSeparators(partier));
        // Up again past the start, to the directory that holds it.
        const QString above = QDir::cleanPath(f.base.dir.path());
        doubleClickDir(w, above);
        QCOMPARE(w->filbane->text(), QDir::toNativeSeparators(above));
        doubleClickDir(w, partier.section(QLatin1Char('/'), 0, -2));
        doubleClickDir(w, partier);
        QTest::mouseClick(w->Lagre, Qt::LeftButton);
        QCOMPARE(readRaw(partier + QStringLiteral("/Spill.sur")),
                 QByteArray("0\r\n0\r\n0\r\n0\r\nSpiller A\r\nSpiller B\r\n60\r\n"));
        // Browsing leaves the working directory where it was: the path file lies there.
        QCOMPARE(QDir::cleanPath(QDir::currentPath()), above);
        QCOMPARE(gamefiles::readPathFile().path, partier + QStringLiteral("/Spill.sur"));
    }

    void secondSaveReplacesTheFirst()
    {
        FileWindowFixture f;
        playSomeSeconds(f);
        for (int round = 0; round < 2; ++round) {
            frmlagresom *w = f.openSaveAs(f.games);
            QVERIFY(w);
            QTest::mouseClick(w->Lagre, Qt::LeftButton);
            flushDeletes();
            if (round == 0)
                f.base.clock.advance(60'000);
        }
        QCOMPARE(readRaw(f.games + QStringLiteral("/Spill.sur")),
                 QByteArray("0\r\n3\r\n1\r\n2\r\nSpiller A\r\nSpiller B\r\n60\r\n"));
        // No temporary file left beside it.
        QCOMPARE(entriesOf(f.games), QStringList{"Spill.sur"});
    }

    void clocksRunWhileOpen()
    {
        FileWindowFixture f;
        f.main().starta->click();
        f.base.clock.advance(3000);
        frmlagresom *w = f.openSaveAs(f.games);
        QVERIFY(w);
        f.base.clock.advance(2000);
        QCOMPARE(readouts(f.main()), QStringLiteral("0:5 0:0"));
        // The file holds the moment "Lagre" is pressed.
        QTest::mouseClick(w->Lagre, Qt::LeftButton);
        QCOMPARE(readRaw(f.games + QStringLiteral("/Spill.sur")),
                 QByteArray("0\r\n5\r\n0\r\n0\r\nSpiller A\r\nSpiller B\r\n60\r\n"));
        f.base.clock.advance(1000);
        QCOMPARE(readouts(f.main()), QStringLiteral("0:6 0:0"));
    }

    void failureKeepsTheWindowOpen_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("blocker"); // a directory made in the target's place, if any
        QTest::newRow("a directory in the file's place") << "Spill"
                                                         << "Spill.sur";
        QTest::newRow("missing directory") << "finnes-ikke/Spill"
                                           << "";
    }
    void failureKeepsTheWindowOpen()
    {
        QFETCH(QString, name);
        QFETCH(QString, blocker);
        FileWindowFixture f;
        if (!blocker.isEmpty())
            QVERIFY(QDir(f.games).mkdir(blocker));
        QVERIFY(writeRaw(QStringLiteral("bane.ban"), "/forrige/Spill.sur\r\n"));
        playSomeSeconds(f);
        frmlagresom *w = f.openSaveAs(f.games);
        QVERIFY(w);
        w->filnavn->setText(name);
        const QMap<QString, QByteArray> before = snapshot(f.games);
        const QString status = f.main().reportedMessage();
        QTest::mouseClick(w->Lagre, Qt::LeftButton);
        flushDeletes();
        QCOMPARE(windowsOf<frmlagresom>(), QList<frmlagresom *>{w});
        QVERIFY(w->isVisible());
        QVERIFY(!w->melding->isHidden());
        const QString path = QDir::toNativeSeparators(f.games + QLatin1Char('/') + name + QStringLiteral(".sur"));
        QVERIFY2(w->melding->text().contains(path), qPrintable(w->melding->text()));
        QVERIFY2(w->melding->text().contains(QStringLiteral("ikke lagret")), qPrintable(w->melding->text()));
        QVERIFY(w->rect().contains(w->melding->geometry()));
        QVERIFY(w->height() > toolkit::twips(4860));
        // Nothing else written: no game file, the old path file kept, no word in the status bar.
        QCOMPARE(snapshot(f.games), before);
        QCOMPARE(readRaw(QStringLiteral("bane.ban")), QByteArray("/forrige/Spill.sur\r\n"));
        QCOMPARE(f.main().reportedMessage(), status);
        QCOMPARE(w->filnavn->text(), name);

        // Once the cause is gone the same press saves.
        if (!blocker.isEmpty())
            QVERIFY(QDir(f.games).rmdir(blocker));
        else
            QVERIFY(QDir(f.games).mkdir(QStringLiteral("finnes-ikke")));
        QTest::mouseClick(w->Lagre, Qt::LeftButton);
        flushDeletes();
        QVERIFY(windowsOf<frmlagresom>().isEmpty());
        QCOMPARE(readRaw(f.games + QLatin1Char('/') + name + QStringLiteral(".sur")), kAfterFiveSeconds);
    }

    void pathFileFailureSaysTheGameIsSaved()
    {
        FileWindowFixture f;
        QVERIFY(QDir().mkdir(QStringLiteral("bane.ban")));
        frmlagresom *w = f.openSaveAs(f.games);
        QVERIFY(w);
        QTest::mouseClick(w->Lagre, Qt::LeftButton);
        flushDeletes();
        QCOMPARE(windowsOf<frmlagresom>(), QList<frmlagresom *>{w});
        QCOMPARE(readRaw(f.games + QStringLiteral("/Spill.sur")),
                 QByteArray("0\r\n0\r\n0\r\n0\r\nSpiller A\r\nSpiller B\r\n60\r\n"));
        const QString text = w->melding->text();
        QVERIFY2(text.contains(QStringLiteral("Partiet er lagret i")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("bane.ban")), qPrintable(text));
    }

    void cancelWritesNothingAndReopensAfresh_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Avbryt") << "Avbryt";
        QTest::newRow("Enter on Avbryt") << "Enter";
        QTest::newRow("title bar close") << "title bar";
    }
    void cancelWritesNothingAndReopensAfresh()
    {
        QFETCH(QString, how);
        FileWindowFixture f;
        const QMap<QString, QByteArray> before = snapshot(f.base.dir.path());
        frmlagresom *w = f.openSaveAs(f.games);
        QVERIFY(w);
        w->filnavn->setText(QStringLiteral("Annet"));
        if (how == QLatin1String("title bar"))
            QVERIFY(w->close());
        else if (how == QLatin1String("Enter"))
            QTest::keyClick(w->Avbryt, Qt::Key_Return);
        else
            QTest::mouseClick(w->Avbryt, Qt::LeftButton);
        QPointer<frmlagresom> closed(w);
        flushDeletes();
        QVERIFY(closed.isNull());
        QCOMPARE(snapshot(f.base.dir.path()), before);

        frmlagresom *again = f.openSaveAs();
        QVERIFY(again);
        QCOMPARE(again->Dir1->path(), f.home);
        QCOMPARE(again->filbane->text(), QDir::toNativeSeparators(f.home));
        QCOMPARE(again->filnavn->text(), QStringLiteral("Spill"));
    }

    // ---- quick save ----

    void quicksaveWithoutPathAsksWhere_data()
    {
        QTest::addColumn<QByteArray>("pathFile"); // "<none>": no file, "<dir>": a directory
        QTest::newRow("no path file") << QByteArray("<none>");
        QTest::newRow("empty path file") << QByteArray("");
        QTest::newRow("empty first line") << QByteArray("\r\n/partier/Spill.sur\r\n");
        QTest::newRow("unreadable path file") << QByteArray("<dir>");
    }
    void quicksaveWithoutPathAsksWhere()
    {
        QFETCH(QByteArray, pathFile);
        FileWindowFixture f;
        if (pathFile == "<dir>")
            QVERIFY(QDir().mkdir(QStringLiteral("bane.ban")));
        else if (pathFile != "<none>")
            QVERIFY(writeRaw(QStringLiteral("bane.ban"), pathFile));
        f.main().stans->setText(QString());
        const QMap<QString, QByteArray> before = snapshot(f.base.dir.path());
        f.main().Lagre->trigger();
        const QList<frmlagresom *> windows = windowsOf<frmlagresom>();
        QCOMPARE(windows.size(), 1);
        QCOMPARE(windows.first()->Dir1->path(), f.home);
        // The save-as command with its time-limit check, and nothing written yet.
        QCOMPARE(f.main().stans->text(), QStringLiteral("60"));
        QCOMPARE(snapshot(f.base.dir.path()), before);
    }

    void quicksaveRewritesTheSavedFile()
    {
        FileWindowFixture f;
        playSomeSeconds(f);
        frmlagresom *w = f.openSaveAs(f.games);
        QVERIFY(w);
        QTest::mouseClick(w->Lagre, Qt::LeftButton);
        flushDeletes();
        const QByteArray pathFile = readRaw(QStringLiteral("bane.ban"));
        const QString path = f.games + QStringLiteral("/Spill.sur");
        QCOMPARE(readRaw(path), kAfterFiveSeconds);

        f.base.clock.advance(4000);
        f.main().pause->click();
        f.main().Lagre->trigger();
        QCOMPARE(readRaw(path), QByteArray("0\r\n3\r\n0\r\n6\r\nSpiller A\r\nSpiller B\r\n60\r\n"));
        QCOMPARE(readRaw(QStringLiteral("bane.ban")), pathFile);
        QVERIFY(windowsOf<frmlagresom>().isEmpty());
        QVERIFY(f.main().reportedMessage().contains(path));
        QCOMPARE(entriesOf(f.games), QStringList{"Spill.sur"});
        QCOMPARE(phaseOf(f.main()), QStringLiteral("paused"));
    }

    void quicksaveFailureInTheStatusBar_data()
    {
        QTest::addColumn<QString>("target"); // below the working directory
        QTest::addColumn<bool>("blocked");   // a directory in the file's place
        QTest::newRow("a directory in the file's place") << "partier/Spill.sur" << true;
        QTest::newRow("missing directory") << "borte/Spill.sur" << false;
    }
    void quicksaveFailureInTheStatusBar()
    {
        QFETCH(QString, target);
        QFETCH(bool, blocked);
        FileWindowFixture f;
        const QString path = f.base.file(target);
        if (blocked)
            QVERIFY(QDir().mkpath(path));
        QVERIFY(!gamefiles::writePathFile(path));
        playSomeSeconds(f);
        f.main().Lagre->trigger();
        const QString status = f.main().reportedMessage();
        QVERIFY2(status.contains(QDir::toNativeSeparators(path)), qPrintable(status));
        QVERIFY2(status.contains(QStringLiteral("Kan ikke skrive")), qPrintable(status));
        QVERIFY(windowsOf<frmlagresom>().isEmpty());
        QCOMPARE(readRaw(QStringLiteral("bane.ban")), gamefiles::encodeLines({path}));
        QCOMPARE(QFileInfo(path).isDir(), blocked);
        // The clocks never notice.
        f.base.clock.advance(1000);
        QCOMPARE(readouts(f.main()), QStringLiteral("0:3 0:3"));
    }
};

QTEST_MAIN(tst_frmlagresom)
#include "tst_frmlagresom.moc"
