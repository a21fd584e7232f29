#include "gamefiles/frmopne.h"

#include "gamefiles/linefiles.h"
#include "toolkit/twips.h"
#include "tests/support/controltablecheck.h"
#include "tests/support/filewindowfixture.h"

using gamefiles::frmopne;

namespace {

const QByteArray kDefaultGame("0\r\n0\r\n0\r\n0\r\nSpiller A\r\nSpiller B\r\n60\r\n");

// Opens the file through the window as the user does: pick it in the list, press "Åpne".
void pickAndOpen(frmopne *w, const QString &name, const QString &how = QStringLiteral("Åpne"))
{
    const QList<QListWidgetItem *> items = w->File1->findItems(name, Qt::MatchExactly);
    QVERIFY2(items.size() == 1, qPrintable(name));
    const QPoint at = w->File1->visualItemRect(items.first()).center();
    if (how == QLatin1String("double-click")) {
        doubleClickAt(w->File1->viewport(), at);
        return;
    }
    QTest::mouseClick(w->File1->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(w->File1->fileName(), name);
    if (how == QLatin1String("Enter"))
        QTest::keyClick(w->File1, Qt::Key_Return);
    else if (how == QLatin1String("Enter on Åpne"))
        QTest::keyClick(w->opne, Qt::Key_Return);
    else
        QTest::mouseClick(w->opne, Qt::LeftButton);
}

// A: 3 s, then B to move with 2 s on the clock.
void playUntilBRuns(FileWindowFixture &f)
{
    f.main().starta->click();
    f.base.clock.advance(3000);
    f.main().Command1->click();
    f.base.clock.advance(2000);
    QCOMPARE(readouts(f.main()), QStringLiteral("0:3 0:2"));
    QVERIFY(f.main().tidb->isEnabled());
}

} // namespace

class tst_frmopne : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void stateWhenCreated()
    {
        FileWindowFixture f;
        QVERIFY(writeRaw(f.home + QStringLiteral("/parti.sur"), kDefaultGame));
        QVERIFY(writeRaw(f.home + QStringLiteral("/notat.txt"), "x"));
        frmopne *w = f.openOpen();
        QVERIFY(w);
        checkBuiltAsTable(w, frmopne::controlTable());
        QCOMPARE(w->objectName(), QStringLiteral("frmopne"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Åpne"));
        QVERIFY(w->isWindow());
        QCOMPARE(w->parentWidget(), nullptr);
        QCOMPARE(w->windowModality(), Qt::NonModal);
        QVERIFY(w->testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(w->geometry(), toolkit::twipsRect(2925, 3780, 5745, 4515));
        QCOMPARE(w->font(), f.main().centralWidget()->font());
        QCOMPARE(w->Dir1->path(), f.home);
        QCOMPARE(w->filbane->text(), QDir::toNativeSeparators(f.home));
        QCOMPARE(w->File1->pattern(), QStringLiteral("*.sur"));
        QCOMPARE(w->File1->path(), f.home);
        QCOMPARE(w->File1->names(), QStringList{"parti.sur"});
        QCOMPARE(w->File1->fileName(), QString());
        QVERIFY(w->melding->isHidden());
        QVERIFY(QTest::qWaitForWindowActive(w));
        QCOMPARE(QApplication::focusWidget(), w->Dir1);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    void tabOrder()
    {
        FileWindowFixture f;
        frmopne *w = f.openOpen();
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        checkTabsReach({w->Avbryt, w->opne, w->File1, w->Dir1});
    }

    void pathBuilding_data()
    {
        QTest::addColumn<QString>("dir");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::newRow("directory") << "/partier"
                                   << "Spill.sur"
                                   << "/partier/Spill.sur";
        QTest::newRow("root doubles the separator") << "/"
                                                    << "Spill.sur"
                                                    << "//Spill.sur";
    }
    void pathBuilding()
    {
        QFETCH(QString, dir);
        QFETCH(QString, name);
        QFETCH(QString, path);
        QCOMPARE(gamefiles::openPath(dir, name), path);
    }

    void browsingFollowsWithLabelAndList()
    {
        FileWindowFixture f;
        const QString dir = f.makeDir(QStringLiteral("hjem/partier"));
        const QString empty = f.makeDir(QStringLiteral("hjem/tom"));
        QVERIFY(writeRaw(dir + QStringLiteral("/b.sur"), kDefaultGame));
        QVERIFY(writeRaw(dir + QStringLiteral("/A.SUR"), kDefaultGame));
        frmopne *w = f.openOpen();
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QVERIFY(w->Dir1->openEntry(int(w->Dir1->entries().indexOf(dir))));
        QCOMPARE(w->filbane->text(), QDir::toNativeSeparators(dir));
        QCOMPARE(w->File1->names(), (QStringList{"A.SUR", "b.sur"}));
        // A directory without game files shows an empty list, and "Åpne" then has nothing to open.
        QVERIFY(w->Dir1->setPath(empty));
        QCOMPARE(w->filbane->text(), QDir::toNativeSeparators(empty));
        QCOMPARE(w->File1->count(), 0);
        const QStringList before = mainState(f.main());
        QTest::mouseClick(w->opne, Qt::LeftButton);
        QVERIFY(w->isVisible());
        QVERIFY2(w->melding->text().contains(QStringLiteral("Velg")), qPrintable(w->melding->text()));
        QCOMPARE(mainState(f.main()), before);
    }

    void restore_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("readouts");
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("default names") << kDefaultGame << "0:0 0:0" << QStringList{"Spiller A", "Spiller B", "60"};
        QTest::newRow("other names") << QByteArray("12\r\n34\r\n5\r\n6\r\nKari\r\n Ola, jr. \r\n45\r\n") << "12:34 5:6"
                                     << QStringList{"Kari", " Ola, jr. ", "45"};
        QTest::newRow("Windows-1252") << QByteArray("1\r\n2\r\n3\r\n4\r\nBj\xF8rn\r\n\xC5se\r\n30\r\n") << "1:2 3:4"
                                      << QStringList{"Bjørn", "Åse", "30"};
        QTest::newRow("seconds above 59")
            << QByteArray("3\r\n75\r\n0\r\n60\r\nA\r\nB\r\n60\r\n") << "3:75 0:60" << QStringList{"A", "B", "60"};
        QTest::newRow("nine digits") << QByteArray("999999999\r\n0\r\n0\r\n0\r\nA\r\nB\r\n60\r\n") << "999999999:0 0:0"
                                     << QStringList{"A", "B", "60"};
        QTest::newRow("leading zero") << QByteArray("007\r\n0\r\n0\r\n0\r\nA\r\nB\r\n60\r\n") << "007:0 0:0"
                                      << QStringList{"A", "B", "60"};
        QTest::newRow("limit and names free text")
            << QByteArray("0\r\n0\r\n0\r\n0\r\n\r\n\r\nabc\r\n") << "0:0 0:0" << QStringList{"", "", "abc"};
        QTest::newRow("no line end at the end")
            << QByteArray("1\r\n1\r\n1\r\n1\r\nA\r\nB\r\n60") << "1:1 1:1" << QStringList{"A", "B", "60"};
        QTest::newRow("more than seven lines")
            << QByteArray("1\r\n1\r\n1\r\n1\r\nA\r\nB\r\n60\r\nx\r\n") << "1:1 1:1" << QStringList{"A", "B", "60"};
    }
    void restore()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, readouts);
        QFETCH(QStringList, boxes);
        FileWindowFixture f;
        QVERIFY(writeRaw(f.games + QStringLiteral("/parti.sur"), file));
        frmopne *w = f.openOpen(f.games);
        QVERIFY(w);
        pickAndOpen(w, QStringLiteral("parti.sur"));
        QPointer<frmopne> closed(w);
        flushDeletes();
        QVERIFY(closed.isNull());
        gameclock::frmhoved &m = f.main();
        QCOMPARE(phaseOf(m), QStringLiteral("paused"));
        QCOMPARE(::readouts(m), readouts);
        QCOMPARE((QStringList{m.spillera->text(), m.spillerb->text(), m.stans->text()}), boxes);
        QCOMPARE(m.pausea->text(), boxes[0] + QStringLiteral(" sitt trekk"));
        QCOMPARE(m.pauseb->text(), boxes[1] + QStringLiteral(" sitt trekk"));
        QCOMPARE(m.Label1->text(), QStringLiteral("1"));
        QVERIFY(m.pause->isHidden());
        QVERIFY(!m.Timer1->isEnabled());
        QVERIFY(m.Juster->isEnabled());
        // Opening reads only.
        QCOMPARE(readRaw(f.games + QStringLiteral("/parti.sur")), file);
    }

    void restoreWhileBRunsStopsIt()
    {
        FileWindowFixture f;
        QVERIFY(writeRaw(f.games + QStringLiteral("/parti.sur"), "10\r\n20\r\n30\r\n40\r\nKari\r\nOla\r\n45\r\n"));
        playUntilBRuns(f);
        frmopne *w = f.openOpen(f.games);
        QVERIFY(w);
        // The clocks go on while the window is open.
        f.base.clock.advance(2000);
        QCOMPARE(readouts(f.main()), QStringLiteral("0:3 0:4"));
        pickAndOpen(w, QStringLiteral("parti.sur"));
        QCOMPARE(readouts(f.main()), QStringLiteral("10:20 30:40"));
        QCOMPARE(phaseOf(f.main()), QStringLiteral("paused"));
        f.base.clock.advance(5000);
        QCOMPARE(readouts(f.main()), QStringLiteral("10:20 30:40"));
        // The turn indicator still says B; the resume button chosen decides.
        QCOMPARE(f.main().Label1->text(), QStringLiteral("0"));
        f.main().pausea->click();
        f.base.clock.advance(2000);
        QCOMPARE(readouts(f.main()), QStringLiteral("10:22 30:40"));
    }

    void fallenFlagAndTurnKept()
    {
        FileWindowFixture f;
        QVERIFY(writeRaw(f.games + QStringLiteral("/parti.sur"), "0\r\n30\r\n0\r\n10\r\nKari\r\nOla\r\n1\r\n"));
        f.main().stans->setText(QStringLiteral("1"));
        f.main().starta->click();
        f.base.clock.advance(61'000);
        QCOMPARE(f.main().klaffa->title(), QStringLiteral("Klaffen har falt for Spiller A"));
        f.main().Command1->click();
        f.base.clock.advance(1000);
        frmopne *w = f.openOpen(f.games);
        QVERIFY(w);
        pickAndOpen(w, QStringLiteral("parti.sur"));
        QCOMPARE(f.main().klaffa->title(), QStringLiteral("Klaffen har falt for Spiller A"));
        QCOMPARE(f.main().klaffb->title(), QString());
        QCOMPARE(f.main().Label1->text(), QStringLiteral("0"));
        QCOMPARE(readouts(f.main()), QStringLiteral("0:30 0:10"));
        // Resumed with B, the clock counts on from the file's read-out.
        f.main().pauseb->click();
        f.base.clock.advance(3000);
        QCOMPARE(readouts(f.main()), QStringLiteral("0:30 0:13"));
    }

    void doubleClickAndEnterEqualOpen_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Åpne") << "Åpne";
        QTest::newRow("double-click") << "double-click";
        QTest::newRow("Enter in the list") << "Enter";
        QTest::newRow("Enter on Åpne") << "Enter on Åpne";
    }
    void doubleClickAndEnterEqualOpen()
    {
        QFETCH(QString, how);
        FileWindowFixture f;
        QVERIFY(writeRaw(f.games + QStringLiteral("/a.sur"), kDefaultGame));
        QVERIFY(writeRaw(f.games + QStringLiteral("/b.sur"), "2\r\n3\r\n4\r\n5\r\nKari\r\nOla\r\n45\r\n"));
        playUntilBRuns(f);
        frmopne *w = f.openOpen(f.games);
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        pickAndOpen(w, QStringLiteral("b.sur"), how);
        QPointer<frmopne> closed(w);
        flushDeletes();
        QVERIFY(closed.isNull());
        QCOMPARE(phaseOf(f.main()), QStringLiteral("paused"));
        QCOMPARE(readouts(f.main()), QStringLiteral("2:3 4:5"));
        QCOMPARE(f.main().pausea->text(), QStringLiteral("Kari sitt trekk"));
    }

    void cancelChangesNothing_data()
    {
        QTest::addColumn<bool>("titleBar");
        QTest::newRow("Avbryt") << false;
        QTest::newRow("title bar close") << true;
    }
    void cancelChangesNothing()
    {
        QFETCH(bool, titleBar);
        FileWindowFixture f;
        QVERIFY(writeRaw(f.games + QStringLiteral("/parti.sur"), kDefaultGame));
        playUntilBRuns(f);
        frmopne *w = f.openOpen(f.games);
        QVERIFY(w);
        QVERIFY(w->File1->selectFile(QStringLiteral("parti.sur")));
        const QStringList before = mainState(f.main());
        if (titleBar)
            QVERIFY(w->close());
        else
            QTest::mouseClick(w->Avbryt, Qt::LeftButton);
        QPointer<frmopne> closed(w);
        flushDeletes();
        QVERIFY(closed.isNull());
        QCOMPARE(mainState(f.main()), before);
        f.base.clock.advance(1000);
        QCOMPARE(readouts(f.main()), QStringLiteral("0:3 0:3"));
        // A new opening starts again at the start directory.
        frmopne *again = f.openOpen();
        QVERIFY(again);
        QCOMPARE(again->Dir1->path(), f.home);
        QCOMPARE(again->File1->path(), f.home);
    }

    void rejected_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("why"); // a part of the reason shown
        const auto withLine = [](int line, const QByteArray &value) {
            QList<QByteArray> lines{"1", "2", "3", "4", "A", "B", "60"};
            lines[line - 1] = value;
            return lines.join("\r\n") + "\r\n";
        };
        QTest::newRow("empty file") << QByteArray() << "(0 av 7)";
        QTest::newRow("six lines") << QByteArray("1\r\n2\r\n3\r\n4\r\nA\r\nB\r\n") << "(6 av 7)";
        QTest::newRow("LF line ends") << QByteArray("1\n2\n3\n4\nA\nB\n60\n") << "(1 av 7)";
        QTest::newRow("binary garbage") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x01\0\r\xff\xd8\r\r\r\r", 27)
                                        << "linje 1";
        QTest::newRow("negative") << withLine(1, "-1") << "linje 1";
        QTest::newRow("exponent") << withLine(2, "1e3") << "linje 2";
        QTest::newRow("leading blank") << withLine(3, " 5") << "linje 3";
        QTest::newRow("trailing blank") << withLine(4, "5 ") << "linje 4";
        QTest::newRow("25 digits") << withLine(1, "1234567890123456789012345") << "linje 1";
        QTest::newRow("ten digits") << withLine(3, "1000000000") << "linje 3";
        QTest::newRow("empty read-out") << withLine(2, "") << "tom";
        QTest::newRow("plus sign") << withLine(1, "+5") << "linje 1";
        QTest::newRow("decimal point") << withLine(4, "5.0") << "linje 4";
        QTest::newRow("hexadecimal") << withLine(3, "&H10") << "linje 3";
        QTest::newRow("other digits") << withLine(1, "\xd9\xa3") << "linje 1"; // Arabic-Indic three, UTF-8
    }
    void rejected()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, why);
        FileWindowFixture f;
        QVERIFY(writeRaw(f.games + QStringLiteral("/feil.sur"), file));
        playUntilBRuns(f);
        f.main().report(QStringLiteral("før"));
        frmopne *w = f.openOpen(f.games);
        QVERIFY(w);
        const QStringList before = mainState(f.main());
        pickAndOpen(w, QStringLiteral("feil.sur"));
        flushDeletes();
        QCOMPARE(windowsOf<frmopne>(), QList<frmopne *>{w});
        QVERIFY(w->isVisible());
        // The main window, clocks included, exactly as it was: B's clock still runs.
        QCOMPARE(mainState(f.main()), before);
        f.base.clock.advance(1000);
        QCOMPARE(readouts(f.main()), QStringLiteral("0:3 0:3"));
        const QString text = w->melding->text();
        QVERIFY(!w->melding->isHidden());
        QVERIFY2(text.contains(why), qPrintable(text));
        QVERIFY2(text.contains(QDir::toNativeSeparators(f.games + QStringLiteral("/feil.sur"))), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Partiet er ikke åpnet.")), qPrintable(text));
        QVERIFY(std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint() || c.isSpace(); }));
        QVERIFY(w->rect().contains(w->melding->geometry()));
        // Another file can be tried in the same window.
        QVERIFY(writeRaw(f.games + QStringLiteral("/god.sur"), kDefaultGame));
        w->File1->refresh();
        pickAndOpen(w, QStringLiteral("god.sur"));
        QCOMPARE(phaseOf(f.main()), QStringLiteral("paused"));
        QCOMPARE(readouts(f.main()), QStringLiteral("0:0 0:0"));
    }

    void fileGoneSinceListed()
    {
        FileWindowFixture f;
        QVERIFY(writeRaw(f.games + QStringLiteral("/borte.sur"), kDefaultGame));
        frmopne *w = f.openOpen(f.games);
        QVERIFY(w);
        QVERIFY(QFile::remove(f.games + QStringLiteral("/borte.sur")));
        const QStringList before = mainState(f.main());
        pickAndOpen(w, QStringLiteral("borte.sur"));
        QCOMPARE(mainState(f.main()), before);
        QVERIFY2(w->melding->text().contains(QStringLiteral("Finner ikke")), qPrintable(w->melding->text()));
        QCOMPARE(w->File1->count(), 0);
    }

    void checkGameDirectly_data()
    {
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<int>("badLine"); // 0: good
        QTest::newRow("good") << QStringList{"0", "59", "123", "0", "A", "B", "60"} << 0;
        QTest::newRow("seconds 60") << QStringList{"0", "60", "0", "0", "A", "B", "60"} << 0;
        QTest::newRow("bad seconds B") << QStringList{"0", "0", "0", "x", "A", "B", "60"} << 4;
        QTest::newRow("first bad line named") << QStringList{"0", "-", "-", "0", "A", "B", "60"} << 2;
    }
    void checkGameDirectly()
    {
        QFETCH(QStringList, values);
        QFETCH(int, badLine);
        const gamefiles::GameRead read{{values[0], values[1], values[2], values[3], values[4], values[5], values[6]},
                                       std::nullopt};
        // A file name that looks like a place holder stays as it is in the sentence.
        const QString path = QStringLiteral("/p/%2 og %1.sur");
        const std::optional<QString> reason = gamefiles::checkGame(read, path);
        QCOMPARE(reason.has_value(), badLine != 0);
        if (reason) {
            QVERIFY2(reason->contains(QStringLiteral("linje %1 ").arg(badLine)), qPrintable(*reason));
            QVERIFY2(reason->contains(QDir::toNativeSeparators(path)), qPrintable(*reason));
        }
    }

    void backupFileOpensLikeAnyGame()
    {
        FileWindowFixture f;
        playUntilBRuns(f);
        f.main().Nytt->trigger();
        f.base.clock.advance(1);
        QCOMPARE(phaseOf(f.main()), QStringLiteral("setup"));
        frmopne *w = f.openOpen(QDir::currentPath());
        QVERIFY(w);
        pickAndOpen(w, QStringLiteral("Sikkerhetskopi.sur"));
        QCOMPARE(phaseOf(f.main()), QStringLiteral("paused"));
        QCOMPARE(readouts(f.main()), QStringLiteral("0:3 0:2"));
    }

    // The backup is written off the clock's thread after each tick; opening it right after a tick
    // must restore that tick, not the one before it.
    void backupOpenedRightAfterATickHoldsThatTick()
    {
        ClockFixture f;
        gameclock::frmhoved &w = startInBackground(f);
        app::connectFileWindows(w);
        // The window lists the file once it exists, as it does from the first second of a game on.
        QVERIFY(writeRaw(gamefiles::kBackupFile, kDefaultGame));
        w.starta->click();
        // Repeated, so that a read overtaking the write would show in one round at least.
        for (int round = 1; round <= 20; ++round) {
            f.clock.advance(1000);
            const QString counted = readouts(w);
            QCOMPARE(counted, QStringLiteral("0:%1 0:0").arg(round));
            frmopne *o = openedBy<frmopne>(w.Apne);
            QVERIFY(o);
            QVERIFY(o->Dir1->setPath(QDir::currentPath()));
            pickAndOpen(o, gamefiles::kBackupFile);
            flushDeletes();
            const QList<frmopne *> left = windowsOf<frmopne>();
            qDeleteAll(left);
            QVERIFY(left.isEmpty());
            QCOMPARE(phaseOf(w), QStringLiteral("paused"));
            QCOMPARE(readouts(w), counted);
            w.pausea->click();
        }
    }

    // The time-limit check gives an empty limit its 60 before the window opens; the restore then
    // writes the file's own.
    void restoreOverwritesTheCheckedLimit()
    {
        FileWindowFixture f;
        QVERIFY(writeRaw(f.games + QStringLiteral("/parti.sur"), "0\r\n0\r\n0\r\n0\r\nA\r\nB\r\n45\r\n"));
        f.main().stans->setText(QString());
        frmopne *w = f.openOpen(f.games);
        QVERIFY(w);
        QCOMPARE(f.main().stans->text(), QStringLiteral("60"));
        pickAndOpen(w, QStringLiteral("parti.sur"));
        QCOMPARE(f.main().stans->text(), QStringLiteral("45"));
    }

    void roundTrip()
    {
        FileWindowFixture f;
        f.main().starta->click();
        f.base.clock.advance(65'000);
        f.main().Command1->click();
        f.base.clock.advance(10'000);
        f.main().pause->click();
        QCOMPARE(readouts(f.main()), QStringLiteral("1:5 0:10"));
        f.main().LagreSom->trigger();
        auto *save = windowsOf<gamefiles::frmlagresom>().value(0);
        QVERIFY(save);
        QVERIFY(save->Dir1->setPath(f.games));
        QTest::mouseClick(save->Lagre, Qt::LeftButton);
        flushDeletes();

        f.main().Nytt->trigger();
        f.base.clock.advance(1);
        QCOMPARE(readouts(f.main()), QStringLiteral("0:0 0:0"));
        frmopne *w = f.openOpen(f.games);
        QVERIFY(w);
        pickAndOpen(w, QStringLiteral("Spill.sur"));
        QCOMPARE(readouts(f.main()), QStringLiteral("1:5 0:10"));
        f.main().pauseb->click();
        // Restored from set-up, the game can be paused like any other.
        QCOMPARE(phaseOf(f.main()), QStringLiteral("running"));
        QVERIFY(f.main().pause->isEnabled());
        f.base.clock.advance(51'000);
        QCOMPARE(readouts(f.main()), QStringLiteral("1:5 1:1"));
        f.main().Command1->click();
        f.base.clock.advance(1000);
        QCOMPARE(readouts(f.main()), QStringLiteral("1:6 1:1"));
        QCOMPARE(phaseOf(f.main()), QStringLiteral("running"));
    }
};

QTEST_MAIN(tst_frmopne)
#include "tst_frmopne.moc"
