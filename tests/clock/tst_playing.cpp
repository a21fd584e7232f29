#include "tests/support/clockfixture.h"

#include "desktop/process.h"
#include "gamefiles/linefiles.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStatusBar>
#include <QStatusTipEvent>

using gameclock::frmhoved;

namespace {

} // namespace

// A game as two people play it: counting, flag fall, backup, pause, resume, new game.
class tst_playing : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstTickWritesTheBackup()
    {
        ClockFixture f;
        frmhoved &w = f.start();
        w.starta->click();
        QVERIFY(!QFile::exists(f.file(gamefiles::kBackupFile)));
        f.clock.advance(1000);
        QCOMPARE(readRaw(f.file(gamefiles::kBackupFile)),
                 crlfLines({"0", "1", "0", "0", "Spiller A", "Spiller B", "60"}));
        // B's ticks write the same seven values, A's first.
        w.Command1->click();
        f.clock.advance(2000);
        QCOMPARE(readRaw(f.file(gamefiles::kBackupFile)),
                 crlfLines({"0", "1", "0", "2", "Spiller A", "Spiller B", "60"}));
    }

    void counting_data()
    {
        QTest::addColumn<QString>("limit");
        QTest::addColumn<QString>("minutes");
        QTest::addColumn<QString>("seconds");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("flag");
        QTest::newRow("carry 0:59 to 1:0") << "60"
                                           << "0"
                                           << "59" << 1 << "1:0" << false;
        QTest::newRow("limit 1 falls at 1:0") << "1"
                                              << "0"
                                              << "59" << 1 << "1:0" << true;
        QTest::newRow("one tick short") << "1"
                                        << "0"
                                        << "58" << 1 << "0:59" << false;
        QTest::newRow("restored above the limit") << "5"
                                                  << "7"
                                                  << "0" << 120 << "9:0" << false;
        QTest::newRow("seconds above 59 count on") << "60"
                                                   << "3"
                                                   << "75" << 2 << "3:77" << false;
        QTest::newRow("fractional limit never falls") << "1.5"
                                                      << "0"
                                                      << "59" << 90 << "2:29" << false;
    }
    void counting()
    {
        QFETCH(QString, limit);
        QFETCH(QString, minutes);
        QFETCH(QString, seconds);
        QFETCH(int, ticks);
        QFETCH(QString, after);
        QFETCH(bool, flag);
        ClockFixture f;
        frmhoved &w = f.start();
        w.stans->setText(limit);
        w.starta->click();
        w.stans->setText(limit); // the start normalises it; a restored game may hold any text
        w.mina->setText(minutes);
        w.seka->setText(seconds);
        f.clock.advance(qint64(ticks) * 1000);
        QCOMPARE(w.mina->text() + u':' + w.seka->text(), after);
        QCOMPARE(!w.klaffa->title().isEmpty(), flag);
        if (flag)
            QCOMPARE(w.klaffa->title(), QStringLiteral("Klaffen har falt for Spiller A"));
        QCOMPARE(w.klaffb->title(), QString());
    }

    // What the views are given of each side: the board view, the screen reader and the speech read
    // nothing else, so a wrong field here is wrong everywhere.
    void sideViews_data()
    {
        QTest::addColumn<QString>("play"); // s: start A, b: start B, x: switch, p: pause, digits: seconds run
        QTest::addColumn<QString>("limit");
        QTest::addColumn<QString>("expectA"); // time|running|toMove|fallen|low
        QTest::addColumn<QString>("expectB");
        QTest::addColumn<int>("phase");
        QTest::newRow("set-up") << ""
                                << "60"
                                << "0:00|0|0|0|0"
                                << "0:00|0|0|0|0" << int(gameclock::Phase::SetUp);
        QTest::newRow("A runs 65 s") << "s65"
                                     << "60"
                                     << "1:05|1|1|0|0"
                                     << "0:00|0|0|0|0" << int(gameclock::Phase::Running);
        QTest::newRow("B in the last minute") << "b541"
                                              << "10"
                                              << "0:00|0|0|0|0"
                                              << "9:01|1|1|0|1" << int(gameclock::Phase::Running);
        QTest::newRow("paused, B to move") << "s3x4p"
                                           << "60"
                                           << "0:03|0|0|0|0"
                                           << "0:04|0|1|0|0" << int(gameclock::Phase::Paused);
        QTest::newRow("A's flag down, B in a one-minute last minute")
            << "s60"
            << "1"
            << "1:00|1|1|1|0"
            << "0:00|0|0|0|1" << int(gameclock::Phase::Running);
    }
    void sideViews()
    {
        QFETCH(QString, play);
        QFETCH(QString, limit);
        QFETCH(QString, expectA);
        QFETCH(QString, expectB);
        QFETCH(int, phase);
        ClockFixture f;
        frmhoved &w = f.start();
        w.stans->setText(limit);
        w.spillera->setText(QString()); // read as the default name
        w.spillerb->setText(QStringLiteral("Ola"));
        auto it = QRegularExpression(QStringLiteral("[sbxp]|\\d+")).globalMatch(play);
        while (it.hasNext()) {
            const QString step = it.next().captured();
            if (step == u"s")
                w.starta->click();
            else if (step == u"b")
                w.startb->click();
            else if (step == u"x")
                w.Command1->click();
            else if (step == u"p")
                w.pause->click();
            else
                f.clock.advance(step.toInt() * 1000);
        }
        const auto shown = [](const gameclock::SideView &v) {
            return QStringLiteral("%1|%2|%3|%4|%5")
                .arg(v.time)
                .arg(int(v.running))
                .arg(int(v.toMove))
                .arg(int(v.flagFallen))
                .arg(int(v.lowTime));
        };
        QCOMPARE(shown(w.side(gameclock::Player::A)), expectA);
        QCOMPARE(shown(w.side(gameclock::Player::B)), expectB);
        QCOMPARE(int(w.phase()), phase);
        QCOMPARE(w.side(gameclock::Player::A).name, QStringLiteral("Spiller A"));
        QCOMPARE(w.side(gameclock::Player::B).name, QStringLiteral("Ola"));
    }

    void flagCaptionIsRewrittenThroughTheMinuteAndThenStays()
    {
        ClockFixture f;
        frmhoved &w = f.start();
        w.stans->setText(QStringLiteral("1"));
        w.starta->click();
        f.clock.advance(60'000);
        QCOMPARE(w.klaffa->title(), QStringLiteral("Klaffen har falt for Spiller A"));
        // During minute 1 each tick writes the caption again: a change shows the rewrite.
        w.klaffa->setTitle(QStringLiteral("x"));
        f.clock.advance(59'000);
        QCOMPARE(w.klaffa->title(), QStringLiteral("Klaffen har falt for Spiller A"));
        // From minute 2 on nothing writes it, and nothing clears it.
        f.clock.advance(1000);
        QCOMPARE(readouts(w), QStringLiteral("2:0 0:0"));
        w.klaffa->setTitle(QStringLiteral("x"));
        f.clock.advance(5000);
        QCOMPARE(w.klaffa->title(), QStringLiteral("x"));
    }

    void wholeHourForA()
    {
        ClockFixture f;
        // As in the program: backups go to the writer's thread, which keeps only the newest.
        frmhoved &w = startInBackground(f);
        // 37,000 face refreshes are not what this test is about.
        w.Timer2->setEnabled(false);
        w.spillera->setText(QStringLiteral("Kari"));
        w.starta->click();
        int flagTick = -1;
        for (int tick = 1; tick <= 3600 + 90; ++tick) {
            f.clock.advance(1000);
            if (flagTick < 0 && !w.klaffa->title().isEmpty())
                flagTick = tick;
            QCOMPARE(w.minb->text() + w.sekb->text(), QStringLiteral("00"));
        }
        QCOMPARE(flagTick, 3600);
        QCOMPARE(w.klaffa->title(), QStringLiteral("Klaffen har falt for Kari"));
        QCOMPARE(readouts(w), QStringLiteral("61:30 0:0"));
        QCOMPARE(phaseOf(w), QStringLiteral("running"));
        QVERIFY(w.finishBackup());
        QCOMPARE(readRaw(f.file(gamefiles::kBackupFile)), crlfLines({"61", "30", "0", "0", "Kari", "Spiller B", "60"}));
    }

    void pauseAndResume()
    {
        ClockFixture f;
        frmhoved &w = f.start();
        w.spillerb->setText(QStringLiteral("Ola"));
        w.starta->click();
        f.clock.advance(3000);
        const QByteArray backup = readRaw(f.file(gamefiles::kBackupFile));
        f.clock.advance(700); // part of a second, not counted
        w.pause->click();
        QCOMPARE(phaseOf(w), QStringLiteral("paused"));
        QCOMPARE(w.pausea->text(), QStringLiteral("Spiller A sitt trekk"));
        QCOMPARE(w.pauseb->text(), QStringLiteral("Ola sitt trekk"));
        QCOMPARE(w.Label1->text(), QStringLiteral("1"));
        f.clock.advance(60'000);
        QCOMPARE(readouts(w), QStringLiteral("0:3 0:0"));
        QCOMPARE(readRaw(f.file(gamefiles::kBackupFile)), backup);
        // Resume with the other player: B runs, and the next switch starts A.
        w.pauseb->click();
        QCOMPARE(phaseOf(w), QStringLiteral("running"));
        QVERIFY(w.tidb->isEnabled());
        f.clock.advance(999);
        QCOMPARE(readouts(w), QStringLiteral("0:3 0:0"));
        f.clock.advance(1);
        QCOMPARE(readouts(w), QStringLiteral("0:3 0:1"));
        w.Command1->click();
        QVERIFY(w.tida->isEnabled());
        // Resume with the same player after the 0.7 s: it counts from the shown read-out.
        w.pause->click();
        w.pausea->click();
        f.clock.advance(300);
        QCOMPARE(readouts(w), QStringLiteral("0:3 0:1"));
        f.clock.advance(700);
        QCOMPARE(readouts(w), QStringLiteral("0:4 0:1"));
    }

    void resumeShowsButDoesNotEnablePause()
    {
        ClockFixture f;
        frmhoved &w = f.start();
        w.starta->click();
        w.pause->click();
        w.pause->setEnabled(false);
        w.pausea->click();
        QVERIFY(!w.pause->isHidden());
        QVERIFY(!w.pause->isEnabled());
    }

    void newGameResetsEverything()
    {
        ClockFixture f;
        QVERIFY(writeRaw(f.file(gamefiles::kSettingsFile), crlfLines({"Kari", "Ola", "5"})));
        frmhoved &w = f.start();
        w.spillera->setText(QStringLiteral("Typed"));
        w.stans->setText(QStringLiteral("1"));
        w.starta->click();
        f.clock.advance(61'000);
        QVERIFY(!w.klaffa->title().isEmpty());
        w.Command1->click();
        f.clock.advance(2000);
        const QByteArray lastTick = readRaw(f.file(gamefiles::kBackupFile));
        w.Nytt->trigger();
        QCOMPARE(phaseOf(w), QStringLiteral("running")); // nothing happens until Timer1 ticks
        f.clock.advance(1);
        QCOMPARE(phaseOf(w), QStringLiteral("setup"));
        QCOMPARE(readouts(w), QStringLiteral("0:0 0:0"));
        QCOMPARE(w.klaffa->title(), QString());
        QCOMPARE(w.Label1->text(), QStringLiteral("1"));
        QCOMPARE(w.spillera->text(), QStringLiteral("Kari"));
        QCOMPARE(w.spillerb->text(), QStringLiteral("Ola"));
        QCOMPARE(w.stans->text(), QStringLiteral("5"));
        QVERIFY(!w.Timer1->isEnabled());
        f.clock.advance(10'000);
        QCOMPARE(readRaw(f.file(gamefiles::kBackupFile)), lastTick);
        // Running the start-up twice gives the same state as once.
        const QString once = phaseOf(w) + readouts(w) + w.spillera->text() + w.stans->text();
        w.Timer1_Timer();
        QCOMPARE(phaseOf(w) + readouts(w) + w.spillera->text() + w.stans->text(), once);
    }

    void settingsFileIsTakenAsItStands_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<QString>("limit");
        QTest::addColumn<bool>("note");
        QTest::newRow("limit 90 kept until a start") << crlfLines({"A", "B", "90"}) << "A"
                                                     << "B"
                                                     << "90" << false;
        QTest::newRow("empty first line") << crlfLines({"", "B", "30"}) << ""
                                          << "B"
                                          << "30" << false;
        QTest::newRow("missing file") << QByteArray() << "Spiller A"
                                      << "Spiller B"
                                      << "60" << true;
        QTest::newRow("one line") << crlfLines({"Kari"}) << "Kari"
                                  << "Spiller B"
                                  << "60" << true;
        QTest::newRow("empty file") << QByteArray("") << "Spiller A"
                                    << "Spiller B"
                                    << "60" << true;
        QTest::newRow("a 10 MB line") << QByteArray("Kari\r\n" + QByteArray(10 << 20, 'x') + "\r\n30\r\n") << "Kari"
                                      << "Spiller B"
                                      << "30" << true;
        QByteArray binary;
        for (int i = 0; i < 4096; ++i)
            binary += char((i * 37 + 11) % 256);
        QTest::newRow("binary") << binary << ""
                                << ""
                                << "" << false;
    }
    void settingsFileIsTakenAsItStands()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(QString, limit);
        QFETCH(bool, note);
        ClockFixture f;
        if (!content.isNull())
            QVERIFY(writeRaw(f.file(gamefiles::kSettingsFile), content));
        frmhoved &w = f.start();
        if (QTest::currentDataTag() == QLatin1String("binary")) {
            // Garbage is taken as text, as any settings file is; the clock still works.
            f.clock.advance(200);
            w.startb->click();
            f.clock.advance(2000);
            QCOMPARE(readouts(w), QStringLiteral("0:0 0:2"));
            return;
        }
        QCOMPARE(w.spillera->text(), a);
        QCOMPARE(w.spillerb->text(), b);
        QCOMPARE(w.stans->text(), limit);
        const QString said = w.lastingMessage(frmhoved::Lasting::Settings);
        QCOMPARE(!said.isEmpty(), note);
        if (note) {
            QVERIFY2(said.contains(QStringLiteral("def.dur")) &&
                         said.endsWith(QStringLiteral("Standardverdiene brukes.")),
                     qPrintable(said));
        }
        QCOMPARE(w.reportedMessage(), QString());
        w.starta->click();
        QVERIFY(w.spillera->text().size() > 0);

        // The complaint lasts until a start-up reads a good file, and goes exactly then.
        f.clock.advance(5000);
        QCOMPARE(w.lastingMessage(frmhoved::Lasting::Settings), said);
        w.Nytt->trigger();
        f.clock.advance(1);
        QCOMPARE(w.lastingMessage(frmhoved::Lasting::Settings), said);
        QVERIFY(writeRaw(f.file(gamefiles::kSettingsFile), crlfLines({"Ola", "Kari", "30"})));
        w.Nytt->trigger();
        f.clock.advance(1);
        QCOMPARE(w.lastingMessage(frmhoved::Lasting::Settings), QString());
        QCOMPARE(w.lastingText(), QString());
        QCOMPARE(w.spillerb->text(), QStringLiteral("Kari"));
    }

    void unwritableBackupIsReportedOnceAndClears()
    {
        ClockFixture f;
        QVERIFY(writeRaw(f.file(gamefiles::kSettingsFile), crlfLines({"Spiller A", "Spiller B", "60"})));
        frmhoved &w = f.start();
        QVERIFY(QDir(f.dir.path()).mkdir(gamefiles::kBackupFile)); // a directory in the file's place
        w.starta->click();
        QStringList shown;
        connect(&w, &frmhoved::lastingChanged, this, [&](const QString &text) { shown << text; });
        f.clock.advance(5000);
        QCOMPARE(readouts(w), QStringLiteral("0:5 0:0"));
        // Said once as the outage begins, and still in view five ticks on.
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().contains(gamefiles::kBackupFile), qPrintable(shown.first()));
        QCOMPARE(w.lastingMessage(frmhoved::Lasting::Backup), shown.first());
        QCOMPARE(w.reportedMessage(), QString());
        QVERIFY(QDir(f.dir.path()).rmdir(gamefiles::kBackupFile));
        f.clock.advance(1000);
        QCOMPARE(shown, (QStringList{shown.first(), QString()}));
        QCOMPARE(w.lastingMessage(frmhoved::Lasting::Backup), QString());
        QCOMPARE(readRaw(f.file(gamefiles::kBackupFile)),
                 crlfLines({"0", "6", "0", "0", "Spiller A", "Spiller B", "60"}));
    }

    // What passes over the status bar (a menu entry's empty status tip under the mouse, a saved
    // game's note) never wipes a state that lasts.
    void lastingStateOutlivesPassingNotes_data()
    {
        QTest::addColumn<QString>("passing");
        QTest::newRow("status tip of a menu entry") << "tip";
        QTest::newRow("a timed note") << "note";
        QTest::newRow("the note cleared") << "clear";
    }
    void lastingStateOutlivesPassingNotes()
    {
        QFETCH(QString, passing);
        ClockFixture f;
        frmhoved &w = f.start(); // no def.dur: a lasting complaint about it
        const QString said = w.lastingMessage(frmhoved::Lasting::Settings);
        QVERIFY(!said.isEmpty());
        auto *label = w.findChild<QLabel *>(QStringLiteral("lasting"));
        QVERIFY(label);
        if (passing == QLatin1String("tip")) {
            QStatusTipEvent tip{QString()};
            QCoreApplication::sendEvent(&w, &tip);
        } else {
            w.report(gamefiles::savedMessage(QStringLiteral("/p/Spill.sur")));
            if (passing == QLatin1String("clear"))
                w.statusBar()->clearMessage();
        }
        QCOMPARE(label->text(), said);
        QVERIFY(!label->isHidden());
        QCOMPARE(w.lastingText(), said);
    }

    // Two states at once are both shown, each ending on its own; a screen reader hears every change.
    void lastingStatesAreAnnounced()
    {
        ClockFixture f;
        QVERIFY(writeRaw(f.file(gamefiles::kSettingsFile), crlfLines({"Ola", "Kari", "30"})));
        frmhoved &w = f.start();
        auto *label = w.findChild<QLabel *>(QStringLiteral("lasting"));
        QVERIFY(label);
        QVERIFY(label->isHidden());
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(label);
        QVERIFY(iface);
        QSignalSpy changes(&w, &frmhoved::lastingChanged);

        w.setLasting(frmhoved::Lasting::Backup, QStringLiteral("Sikkerhetskopien kan ikke lagres."));
        w.setLasting(frmhoved::Lasting::Settings, QStringLiteral("Finner ikke filen «def.dur»."));
        QCOMPARE(iface->text(QAccessible::Name),
                 QStringLiteral("Sikkerhetskopien kan ikke lagres.\nFinner ikke filen «def.dur»."));
        QVERIFY(!label->isHidden());
        // The same state again is no news.
        w.setLasting(frmhoved::Lasting::Backup, QStringLiteral("Sikkerhetskopien kan ikke lagres."));
        QCOMPARE(changes.count(), 2);
        w.setLasting(frmhoved::Lasting::Backup, QString());
        QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Finner ikke filen «def.dur»."));
        QCOMPARE(label->text(), QStringLiteral("Finner ikke filen «def.dur»."));
        w.setLasting(frmhoved::Lasting::Settings, QString());
        QVERIFY(label->isHidden());
        QCOMPARE(changes.count(), 4);
        QCOMPARE(changes.last().at(0).toString(), QString());
    }

    void focusClearsTheBoxes()
    {
        ClockFixture f;
        frmhoved &w = f.start();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.starta->setFocus();
        // Tab from the start buttons reaches the limit box, which empties.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.stans);
        QCOMPARE(w.stans->text(), QString());
        QTest::mouseClick(w.spillerb, Qt::LeftButton);
        QCOMPARE(w.spillerb->text(), QString());
        QCOMPARE(w.spillera->text(), QStringLiteral("Spiller A"));
        // Starting without typing: the limit becomes 1 when A starts.
        w.starta->click();
        QCOMPARE(w.stans->text(), QStringLiteral("1"));
        QCOMPARE(w.spillerb->text(), QStringLiteral("Spiller B"));
    }

    // Focus the program hands on (a hidden or disabled control passing it along the tab chain)
    // empties no box: only a person's click or Tab does. A screen reader's "press" does not move
    // the focus, so the start finds it in a name box and disables that box under it.
    void noNameLostToFocusMovedByTheProgram_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("playerA");
        QTest::newRow("screen reader presses Ola begynner") << "accessibility" << true;
        QTest::newRow("screen reader presses Kari begynner") << "accessibility" << false;
        QTest::newRow("keyboard: Shift+Tab to Kari begynner, Space") << "keyboard" << false;
    }
    void noNameLostToFocusMovedByTheProgram()
    {
        QFETCH(QString, how);
        QFETCH(bool, playerA);
        ClockFixture f;
        QVERIFY(writeRaw(f.file(gamefiles::kSettingsFile), crlfLines({"Ola", "Kari", "30"})));
        frmhoved &w = f.start();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.starta->click();
        f.clock.advance(2000);
        w.pause->click();
        QCOMPARE(QApplication::focusWidget(), w.pausea);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::ControlModifier);
        QVERIFY(w.Timer1->isEnabled());
        f.clock.advance(200); // the start-up, then the captions
        QCOMPARE(phaseOf(w), QStringLiteral("setup"));
        // The new game leaves the focus on a button; a person then clicks into A's box (which empties
        // it) and types the name again, so that the start finds the focus in a name box.
        QCOMPARE(QApplication::focusWidget(), w.starta);
        QTest::mouseClick(w.spillera, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), w.spillera);
        QCOMPARE(w.spillera->text(), QString());
        QTest::keyClicks(w.spillera, QStringLiteral("Ola"));
        f.clock.advance(100);
        QCOMPARE(w.startb->text(), QStringLiteral("Kari begynner"));

        QPushButton *start = playerA ? w.starta : w.startb;
        if (how == QLatin1String("accessibility")) {
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(start);
            QVERIFY(iface && iface->actionInterface());
            QSignalSpy clicked(start, &QPushButton::clicked);
            iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
            QVERIFY(clicked.count() == 1 || clicked.wait());
        } else {
            for (int i = 0; i < 12 && QApplication::focusWidget() != start; ++i)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(QApplication::focusWidget(), start);
            QTest::keyClick(start, Qt::Key_Space);
        }
        QCOMPARE(phaseOf(w), QStringLiteral("running"));
        QCOMPARE(w.spillera->text(), QStringLiteral("Ola"));
        QCOMPARE(w.spillerb->text(), QStringLiteral("Kari"));
        f.clock.advance(1000);
        const QList<QByteArray> saved = readRaw(f.file(gamefiles::kBackupFile)).split('\n');
        QCOMPARE(saved.value(4), QByteArray("Ola\r"));
        QCOMPARE(saved.value(5), QByteArray("Kari\r"));
    }

    void exitEndsAtOnce()
    {
        ClockFixture f;
        frmhoved &w = f.start();
        QList<int> ended;
        {
            const support::Replaced ender{desktop::setProgramEnder, [&](int code) { ended << code; },
                                          desktop::ProgramEnder{}};
            w.Avslutt->trigger();
        }
        QCOMPARE(ended, QList<int>{0});
    }

    void closingTheMainWindowClosesTheOthers()
    {
        ClockFixture f;
        frmhoved &w = f.start();
        auto *other = new QWidget;
        other->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<QWidget> guard(other);
        other->show();
        w.close();
        QTRY_VERIFY(guard.isNull());
    }

    void damagedReadoutDoesNotCount()
    {
        ClockFixture f;
        frmhoved &w = f.start();
        w.starta->click();
        w.seka->setText(QStringLiteral("x"));
        f.clock.advance(3000);
        QCOMPARE(w.seka->text(), QStringLiteral("x"));
        QVERIFY(!w.reportedMessage().isEmpty());
    }
};

QTEST_MAIN(tst_playing)
#include "tst_playing.moc"
