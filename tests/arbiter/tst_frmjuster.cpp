#include "arbiter/frmjuster.h"

#include "tests/support/controltablecheck.h"
#include "tests/support/filewindowfixture.h"

#include <QRegularExpression>

using arbiter::frmjuster;
using gameclock::frmhoved;

namespace {

// Kari (A) and Ola (B) with a limit of 2 minutes, paused at 0:03 and 0:02; with flagDown Kari
// went on to 2:01 first, and her flag fell on the way.
struct PausedGame {
    ClockFixture f;
    frmhoved *main = nullptr;

    explicit PausedGame(bool flagDown = false, bool background = false)
    {
        writeRaw(f.file(gamefiles::kSettingsFile), crlfLines({"Kari", "Ola", "2"}));
        main = background ? &startInBackground(f) : &f.start();
        app::connectCorrection(*main);
        main->starta->click();
        f.clock.advance(flagDown ? 121'000 : 3000);
        main->Command1->click();
        f.clock.advance(2000);
        main->pause->click();
    }
    frmjuster *open() { return openedBy<frmjuster>(main->Juster); }
};

QByteArray backupOf(const QString &readouts)
{
    return (readouts.split(QRegularExpression(QStringLiteral("[: ]"))).join(QStringLiteral("\r\n")) +
            QStringLiteral("\r\nKari\r\nOla\r\n2\r\n"))
        .toLatin1();
}

} // namespace

class tst_frmjuster : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { qDeleteAll(windowsOf<frmjuster>()); }

    void corrections_data()
    {
        QTest::addColumn<bool>("flagDown");
        QTest::addColumn<QStringList>("typed"); // Kari's minutes and seconds, then Ola's
        QTest::addColumn<QString>("how");       // OK, Enter, Escape, Avbryt; or what happens before OK
        QTest::addColumn<QString>("readouts");  // empty: nothing changed
        QTest::addColumn<QString>("fallen");    // whose flags are down afterwards
        QTest::addColumn<QString>("said");      // in the passing note, or in the window's reason
        const auto row = [](const char *name, bool flagDown, const QStringList &typed, const char *how,
                            const char *readouts, const char *fallen, const QString &said) {
            QTest::newRow(name) << flagDown << typed << how << readouts << fallen << said;
        };
        row("values that hold", false, {"1", "30", "0", "59"}, "OK", "1:30 0:59", "", "Tiden ble justert kl. ");
        row("Enter; zeros and blanks", false, {"01", " 7 ", "0", "00"}, "Enter", "1:7 0:0", "", "justert");
        row("just below the limit", false, {"1", "59", "1", "59"}, "OK", "1:59 1:59", "", "justert");
        row("at the limit", false, {"2", "0", "0", "2"}, "OK", "2:0 0:2", "A", "Klaffen har falt for Kari.");
        row("across the limit", false, {"0", "3", "3", "10"}, "OK", "0:3 3:10", "B", "Klaffen har falt for Ola.");
        row("nine digits", false, {"999999999", "0", "0", "0"}, "OK", "999999999:0 0:0", "A", "falt for Kari.");
        row("flag down, back below the limit", true, {"1", "0", "0", "2"}, "OK", "1:0 0:2", "A",
            "Klaffen har fortsatt falt for Kari: en justering hever den ikke.");
        row("flag down, still past it", true, {"5", "0", "2", "0"}, "OK", "5:0 2:0", "AB", "falt for Ola.");
        row("empty", false, {"", "3", "0", "2"}, "OK", "", "", "Minuttene til Kari er ikke fylt ut.");
        row("letters", false, {"0", "tre", "0", "2"}, "OK", "", "",
            "Sekundene til Kari skal være et helt tall uten fortegn, men der står «tre».");
        row("negative", false, {"0", "3", "-1", "2"}, "OK", "", "", "Minuttene til Ola skal være et helt tall");
        row("decimal comma", false, {"1,5", "3", "0", "2"}, "OK", "", "", "står «1,5»");
        row("other digits", false, {QString::fromUtf8("\xd9\xa3"), "3", "0", "2"}, "OK", "", "", "helt tall");
        row("ten digits", false, {"1000000000", "3", "0", "2"}, "OK", "", "",
            "Minuttene til Kari kan ha høyst 9 sifre");
        row("seconds 60", false, {"0", "3", "0", "60"}, "Enter", "", "", "Sekundene til Ola skal være fra 0 til 59");
        row("Escape", false, {"1", "1", "1", "1"}, "Escape", "", "", "");
        row("Avbryt", true, {"1", "1", "1", "1"}, "Avbryt", "", "A", "");
        // The window holds the game paused, but the command may still meet a game that went on.
        const QString over = QStringLiteral("Spillet står ikke lenger på pause");
        row("resumed meanwhile", false, {"1", "1", "1", "1"}, "resumed", "", "", over);
        row("new game on its way", false, {"1", "1", "1", "1"}, "Nytt", "", "", over);
        row("new game in set-up", true, {"1", "1", "1", "1"}, "set-up", "", "", over);
    }
    void corrections()
    {
        QFETCH(bool, flagDown);
        QFETCH(QStringList, typed);
        QFETCH(QString, how);
        QFETCH(QString, readouts);
        QFETCH(QString, fallen);
        QFETCH(QString, said);
        PausedGame p(flagDown);
        frmhoved &m = *p.main;
        frmjuster *w = p.open();
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        const QList<QLineEdit *> fields{w->mina, w->seka, w->minb, w->sekb};
        for (int i = 0; i < 4; ++i)
            fields[i]->setText(typed[i]);
        const bool pauseOver = QStringList{"resumed", "Nytt", "set-up"}.contains(how);
        if (how == QLatin1String("resumed"))
            m.pausea->click();
        else if (pauseOver)
            m.Nytt->trigger();
        if (how == QLatin1String("set-up"))
            p.f.clock.advance(1);
        const QStringList before = mainState(m);
        const QByteArray backupBefore = readRaw(gamefiles::kBackupFile);
        if (how == QLatin1String("Enter") || how == QLatin1String("Escape"))
            QTest::keyClick(w->sekb, how == QLatin1String("Enter") ? Qt::Key_Return : Qt::Key_Escape);
        else
            QTest::mouseClick(how == QLatin1String("Avbryt") ? w->Avbryt : w->OK, Qt::LeftButton);
        flushDeletes();
        QCOMPARE(m.Juster->isEnabled(), !pauseOver);
        QCOMPARE(m.klaffa->title(), fallen.contains(u'A') ? QStringLiteral("Klaffen har falt for Kari") : QString());
        QCOMPARE(m.klaffb->title(), fallen.contains(u'B') ? QStringLiteral("Klaffen har falt for Ola") : QString());
        QCOMPARE(windowsOf<frmjuster>().size(), readouts.isEmpty() && !said.isEmpty() ? 1 : 0);
        if (readouts.isEmpty()) {
            QCOMPARE(mainState(m), before);
            QCOMPARE(readRaw(gamefiles::kBackupFile), backupBefore);
            if (!said.isEmpty())
                QVERIFY2(w->melding->text().contains(said) && w->melding->text().endsWith(" Tiden er ikke justert."),
                         qPrintable(w->melding->text()));
            return;
        }
        QCOMPARE(phaseOf(m), QStringLiteral("paused"));
        QCOMPARE(::readouts(m), readouts);
        QCOMPARE(readRaw(gamefiles::kBackupFile), backupOf(readouts));
        QVERIFY2(m.reportedMessage().contains(said), qPrintable(m.reportedMessage()));
    }

    // The whole way, with the backup written on its own thread as in the program.
    void pauseCorrectResume()
    {
        PausedGame p(false, true);
        frmhoved &m = *p.main;
        QVERIFY(QTest::qWaitForWindowActive(&m));
        QTest::keyClick(&m, Qt::Key_J, Qt::ControlModifier);
        frmjuster *w = windowsOf<frmjuster>().value(0);
        QVERIFY(w);
        checkBuiltAsTable(w, frmjuster::controlTable());
        QCOMPARE(w->windowTitle(), QStringLiteral("Juster tid"));
        QCOMPARE(w->geometry(), toolkit::twipsRect(3000, 3000, 4215, 2070));
        QCOMPARE(QApplication::activeModalWidget(), w);
        QCOMPARE((QStringList{w->rammea->title(), w->rammeb->title()}), (QStringList{"Kari", "Ola"}));
        QCOMPARE((QStringList{w->mina->text(), w->seka->text(), w->minb->text(), w->sekb->text()}),
                 (QStringList{"0", "3", "0", "2"}));
        QCOMPARE((QStringList{w->mina->accessibleName(), w->seka->accessibleName(), w->minb->accessibleName(),
                              w->sekb->accessibleName()}),
                 (QStringList{"Kari, minutter", "Kari, sekunder", "Ola, minutter", "Ola, sekunder"}));
        QVERIFY(QTest::qWaitForWindowActive(w));
        QCOMPARE(QApplication::focusWidget(), w->mina);
        checkTabsReach({w->seka, w->minb, w->sekb, w->OK, w->Avbryt, w->mina});
        // Each value typed over as the Tab reaches its field.
        for (const char *typed : {"1", "5", "1", "40"}) {
            QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(typed));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        const quint64 drawnA = m.ura->drawCount(), drawnB = m.urb->drawCount();
        QTest::mouseClick(w->OK, Qt::LeftButton);
        flushDeletes();
        QVERIFY(windowsOf<frmjuster>().isEmpty());
        QCOMPARE(::readouts(m), QStringLiteral("1:5 1:40"));
        QVERIFY(m.ura->drawCount() > drawnA && m.urb->drawCount() > drawnB);
        QVERIFY(m.finishBackup());
        QCOMPARE(readRaw(gamefiles::kBackupFile), backupOf(QStringLiteral("1:5 1:40")));
        QVERIFY2(QRegularExpression(QStringLiteral("^Tiden ble justert kl\\. \\d\\d:\\d\\d\\.$"))
                     .match(m.reportedMessage())
                     .hasMatch(),
                 qPrintable(m.reportedMessage()));
        QVERIFY(m.Juster->isEnabled());
        m.pauseb->click();
        QVERIFY(!m.Juster->isEnabled());
        QTest::keyClick(&m, Qt::Key_J, Qt::ControlModifier);
        QVERIFY(windowsOf<frmjuster>().isEmpty());
        p.f.clock.advance(2000);
        QCOMPARE(::readouts(m), QStringLiteral("1:5 1:42"));
    }

    // A count-down game: the arbiter sets each player's time left and moves; moves typed into
    // another stage bring its time into the field, and the stage follows the moves.
    void countdownCorrections_data()
    {
        QTest::addColumn<QStringList>("typed"); // Kari's time and moves, then Ola's; "" leaves a field
        QTest::addColumn<QString>("after");     // per player: ms left, moves, stage; empty when refused
        QTest::addColumn<QString>("said");
        QTest::newRow("moves into the next stage bring its 30 minutes")
            << QStringList{"", "40", "", ""} << "7259000 40 1 | 5428000 0 0"
            << "Tiden ble justert";
        QTest::newRow("time and moves typed") << QStringList{"1:00:00", "", "", "5"} << "3600000 1 0 | 5428000 5 0"
                                              << "justert";
        QTest::newRow("zero drops the flag") << QStringList{"", "", "0", ""} << "5459000 1 0 | 0 0 0"
                                             << "Klaffen har falt for Ola.";
        QTest::newRow("a time that cannot be read") << QStringList{"", "", "1:75", ""} << ""
                                                    << "Tiden til Ola";
        QTest::newRow("too many moves") << QStringList{"", "123456", "", ""} << ""
                                        << "Trekkene til Kari";
    }
    void countdownCorrections()
    {
        QFETCH(QStringList, typed);
        QFETCH(QString, after);
        QFETCH(QString, said);
        ClockFixture f;
        writeRaw(f.file(gamefiles::kSettingsFile), crlfLines({"Kari", "Ola", "60"}));
        const gameclock::Stages fide{{5'400'000, 40, gameclock::Bonus::Fischer, 30'000},
                                     {1'800'000, 0, gameclock::Bonus::Fischer, 30'000}};
        frmhoved &m = startUnder(f, {QStringLiteral("FIDE"), fide, fide});
        app::connectCorrection(m);
        m.starta->click();
        f.clock.advance(1000);
        m.Command1->click();
        f.clock.advance(2000);
        m.pause->click();
        frmjuster *w = openedBy<frmjuster>(m.Juster);
        QVERIFY(w);
        QCOMPARE((QStringList{w->mina->text(), w->seka->text(), w->minb->text(), w->sekb->text()}),
                 (QStringList{"1:30:59", "1", "1:30:28", "0"}));
        QCOMPARE((QStringList{w->mina2->text(), w->seka2->text()}), (QStringList{"Tid", "Trekk"}));
        QLineEdit *fields[] = {w->mina, w->seka, w->minb, w->sekb};
        for (int i = 0; i < 4; ++i) {
            if (typed[i].isEmpty())
                continue;
            fields[i]->selectAll();
            QTest::keyClicks(fields[i], typed[i]);
        }
        if (typed[1] == QLatin1String("40"))
            QCOMPARE(w->mina->text(), QStringLiteral("2:00:59"));
        w->OK->click();
        flushDeletes();
        const gameclock::Countdown *game = m.countdown();
        if (after.isEmpty()) {
            QVERIFY2(w->melding->text().contains(said), qPrintable(w->melding->text()));
            QCOMPARE(game->moves(gameclock::Player::A), 1);
            return;
        }
        QVERIFY(windowsOf<frmjuster>().isEmpty());
        QStringList state;
        for (const gameclock::Player p : gameclock::kPlayers)
            state << QStringLiteral("%1 %2 %3").arg(game->leftMs(p, 0)).arg(game->moves(p)).arg(game->stage(p));
        QCOMPARE(state.join(QStringLiteral(" | ")), after);
        // The stage shows beside the moves under a control with stages.
        const QStringList a = after.split(u' ');
        QCOMPARE(m.trekka->text(), QStringLiteral("Trekk %1, fase %2").arg(a[1]).arg(a[2].toInt() + 1));
        QVERIFY2(m.reportedMessage().contains(said), qPrintable(m.reportedMessage()));
        // The backup holds the corrected game at once.
        QVERIFY(m.finishBackup());
        const QStringList moves{after.split(u' ')[1], after.split(u' ')[5]};
        QVERIFY(readRaw(gamefiles::kBackupFile).contains("\r\ntrekk=" + moves.join(u' ').toLatin1() + "\r\n"));
    }
};

QTEST_MAIN(tst_frmjuster)
#include "tst_frmjuster.moc"
