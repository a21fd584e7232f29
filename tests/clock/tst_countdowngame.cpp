// A count-down game in the main window, in virtual time: read-outs, move counters, faces, flags,
// the backup at every switch and second, saving and opening with the exact state, and the classic
// clock left exactly as it was.

#include "tests/support/clockfixture.h"
#include "tests/support/filewindowfixture.h"
#include "tests/support/keys.h"

#include "clock/boardview.h"
#include "clock/countdownfile.h"
#include "clock/timecontrolstore.h"
#include "display/face.h"
#include "gamefiles/linefiles.h"
#include "toolkit/controls.h"
#include "toolkit/preferences.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QSettings>

using gameclock::frmhoved;
using gameclock::TimeControl;

namespace {

constexpr qint64 kMin = 60000;

TimeControl fischer(qint64 minutes, qint64 seconds)
{
    const gameclock::Stages s{{minutes * kMin, 0, gameclock::Bonus::Fischer, seconds * 1000}};
    return {QStringLiteral("%1 min + %2 s").arg(minutes).arg(seconds), s, s};
}

// The lines after the seventh of a game file, as the backup holds them now.
QStringList backupFurther(const ClockFixture &f)
{
    const gamefiles::GameRead read = gamefiles::readGameFile(f.file(gamefiles::kBackupFile));
    return read.values.further;
}

gameclock::CountdownState backupState(const ClockFixture &f)
{
    const gameclock::CountdownRead read = gameclock::readCountdownLines(backupFurther(f));
    return read.kind == gameclock::CountdownRead::Kind::Countdown ? read.state : gameclock::CountdownState{};
}

QString shown(const frmhoved &w)
{
    return QStringLiteral("%1 %2 | %3 %4").arg(w.igjena->text(), w.trekka->text(), w.igjenb->text(), w.trekkb->text());
}

} // namespace

class tst_countdowngame : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { support::freshSettings(); }
    void cleanup()
    {
        qDeleteAll(windowsOf<gamefiles::frmopne>());
        QSettings().clear();
    }

    // The classic clock is the default, and stays exactly as it was: its controls, its seven lines.
    void classicByDefault()
    {
        ClockFixture f;
        frmhoved &w = f.start();
        QVERIFY(!w.countdown());
        for (QWidget *own : std::initializer_list<QWidget *>{w.kontroll, w.igjena, w.igjenb, w.trekka, w.trekkb})
            QVERIFY(own->isHidden());
        QVERIFY(!w.stans->isHidden());
        QCOMPARE(w.Label2->text(), QStringLiteral("Tid per spiller:"));
        QVERIFY(w.Tidskontroll->isEnabled());
        w.starta->click();
        QVERIFY(!w.Tidskontroll->isEnabled());
        f.clock.advance(1000);
        QCOMPARE(readRaw(f.file(gamefiles::kBackupFile)),
                 crlfLines({"0", "1", "0", "0", "Spiller A", "Spiller B", "60"}));
    }

    // A game played with Space at the board: each switch charges the milliseconds used and adds the
    // increment, the counters count, the backup follows every switch at once.
    void fischerGameAtTheBoard()
    {
        ClockFixture f;
        frmhoved &w = startUnder(f, fischer(3, 2));
        QCOMPARE(w.kontroll->text(), QStringLiteral("3 min + 2 s"));
        QCOMPARE(w.Label2->text(), QStringLiteral("Tidskontroll:"));
        QVERIFY(w.stans->isHidden() && w.mina->isHidden() && !w.igjena->isHidden());
        QCOMPARE(shown(w), QStringLiteral("3:02 Trekk 0 | 3:02 Trekk 0"));
        w.starta->click();
        f.clock.advance(2345);
        // Space on the switch button, which holds the focus from the start on.
        QCOMPARE(w.focusWidget(), w.Command1);
        QTest::keyClick(w.Command1, Qt::Key_Space);
        // Written at the switch, not at the next second.
        QCOMPARE(backupState(f).leftMs[0], qint64(182000 - 2345 + 2000));
        QCOMPARE(backupState(f).moves[0], 1);
        f.clock.advance(60'000 + 100);
        QTest::keyClick(w.Command1, Qt::Key_Space);
        f.clock.advance(100);
        QCOMPARE(shown(w), QStringLiteral("3:01 Trekk 1 | 2:03 Trekk 1"));
        QVERIFY(w.side(gameclock::Player::A).running && w.side(gameclock::Player::A).countsDown);
        QCOMPARE(w.side(gameclock::Player::B).moves, 1);
        // The seven lines: a classic reader sees each time left as limit less time used.
        const gamefiles::GameValues seven = gamefiles::readGameFile(f.file(gamefiles::kBackupFile)).values;
        QCOMPARE(QStringList({seven.mina, seven.seka, seven.minb, seven.sekb, seven.stans}),
                 QStringList({"0", "59", "1", "57", "4"}));
        QCOMPARE(phaseOf(w), QStringLiteral("running"));
    }

    // The faces show the time left as a mechanical chess clock: the minute hand reaches twelve at the flag.
    void mechanicalFaces_data()
    {
        QTest::addColumn<qint64>("run");
        QTest::addColumn<QPoint>("ink");  // a point on a hand
        QTest::addColumn<QPoint>("bare"); // a point no hand covers
        QTest::newRow("15 minutes left: minute hand at nine") << 0LL << QPoint(40, 100) << QPoint(160, 100);
        QTest::newRow("7.5 minutes left: minute hand at 52.5") << 450'000LL << QPoint(65, 65) << QPoint(160, 100);
        QTest::newRow("time up: both hands at twelve") << 900'000LL << QPoint(100, 40) << QPoint(40, 100);
    }
    void mechanicalFaces()
    {
        QFETCH(qint64, run);
        QFETCH(QPoint, ink);
        QFETCH(QPoint, bare);
        ClockFixture f;
        frmhoved &w = startUnder(f, fischer(15, 0));
        w.starta->click();
        f.clock.advance(run + 100);
        QCOMPARE(w.ura->pixelAt(ink.x(), ink.y()), w.ura->foreColor());
        QCOMPARE(w.ura->pixelAt(bare.x(), bare.y()), display::kDiscColour);
    }

    // Both flags down: the first one says so; the fallen clock stands at zero and gets no increment.
    void bothFlagsFirstNamed()
    {
        ClockFixture f;
        writeRaw(f.file(gamefiles::kSettingsFile), crlfLines({"Kari", "Ola", "60"}));
        frmhoved &w = startUnder(f, fischer(1, 2));
        w.startb->click();
        f.clock.advance(62'100);
        QCOMPARE(w.klaffb->title(), QStringLiteral("Klaffen har falt for Ola"));
        w.Command1->click();
        QCOMPARE(w.side(gameclock::Player::B).leftMs, qint64(0));
        f.clock.advance(70'000);
        QCOMPARE(w.klaffa->title(), QStringLiteral("Klaffen har falt for Kari"));
        QCOMPARE(w.klaffb->title(), QStringLiteral("Klaffen har falt for Ola (først)"));
        QVERIFY(w.side(gameclock::Player::B).fellFirst && !w.side(gameclock::Player::A).fellFirst);
        QCOMPARE(w.igjena->text(), QStringLiteral("0:00.0"));
        QCOMPARE(backupState(f).fellAs, (std::array<int, 2>{2, 1}));
    }

    // A pause keeps the milliseconds, in the backup at once.
    void pauseKeepsMilliseconds()
    {
        ClockFixture f;
        frmhoved &w = startUnder(f, fischer(3, 2));
        w.starta->click();
        f.clock.advance(1234);
        w.pause->click();
        f.clock.advance(600'000);
        QCOMPARE(backupState(f).leftMs[0], qint64(182000 - 1234));
    }

    // A game saved while running opens paused with its control and continues to the millisecond;
    // damaged lines of ours are refused and leave the window as it was; lines not ours open the
    // classic game of the seven, with a note.
    void openWithExactState_data()
    {
        QTest::addColumn<int>("damage"); // 0: none; 1: a line of ours; 2: further lines not ours
        QTest::addColumn<QString>("outcome");
        QTest::newRow("whole") << 0 << "countdown";
        QTest::newRow("a damaged line of ours") << 1 << "refused";
        QTest::newRow("lines that are not ours") << 2 << "classic";
    }
    void openWithExactState()
    {
        QFETCH(int, damage);
        QFETCH(QString, outcome);
        FileWindowFixture f;
        frmhoved &w = f.main();
        QVERIFY(!w.applyTimeControl(fischer(5, 3)));
        w.starta->click();
        f.base.clock.advance(4321);
        w.Command1->click();
        f.base.clock.advance(1500);
        gamefiles::GameValues saved = w.gameValues();
        if (damage == 1)
            saved.further[4] = QStringLiteral("brukt=tolv");
        if (damage == 2)
            saved.further = QStringList{QStringLiteral("Notat: remis tilbudt i trekk 30")};
        const QString path = f.makeDir(QStringLiteral("partier")) + QStringLiteral("/parti.sur");
        QVERIFY(!gamefiles::writeGameFile(path, saved));

        w.Nytt->trigger();
        f.base.clock.advance(1);
        QVERIFY(!w.applyTimeControl(gameclock::classicControl()));
        const QStringList before = mainState(w);
        gamefiles::frmopne *open = f.openOpen();
        QVERIFY(open && open->Dir1->setPath(f.makeDir(QStringLiteral("partier"))));
        const QList<QListWidgetItem *> items = open->File1->findItems(QStringLiteral("parti.sur"), Qt::MatchExactly);
        QCOMPARE(items.size(), 1);
        open->File1->setCurrentItem(items.first());
        open->opne_Click();
        if (outcome == QLatin1String("refused")) {
            QVERIFY2(open->melding->text().contains(QStringLiteral("Linje 12")), qPrintable(open->melding->text()));
            QCOMPARE(mainState(w), before);
            QVERIFY(!w.countdown());
            return;
        }
        QCOMPARE(phaseOf(w), QStringLiteral("paused"));
        if (outcome == QLatin1String("classic")) {
            QVERIFY(!w.countdown());
            QVERIFY(w.reportedMessage().contains(QStringLiteral("klassisk parti")));
            // 5:01.679 and 5:01.5 left: a limit of 6 minutes, 59 seconds used each.
            QCOMPARE(::readouts(w), QStringLiteral("0:59 0:59"));
            QCOMPARE(w.stans->text(), QStringLiteral("6"));
            return;
        }
        QVERIFY(w.countdown());
        QCOMPARE(w.kontroll->text(), QStringLiteral("5 min + 3 s"));
        QCOMPARE(w.Label1->text(), QStringLiteral("0")); // B had the move
        f.base.clock.advance(30'000);
        QCOMPARE(w.side(gameclock::Player::B).leftMs, qint64(303'000 - 1500)); // nothing ran while closed or paused
        w.pauseb->click();
        f.base.clock.advance(499);
        w.Command1->click();
        QCOMPARE(w.side(gameclock::Player::B).leftMs, qint64(303'000 - 1999 + 3000));
        QCOMPARE(w.side(gameclock::Player::A).leftMs, qint64(303'000 - 4321 + 3000));
        QCOMPARE(w.side(gameclock::Player::B).moves, 1);
    }

    // The board view shows the count-down clock through each side's view: the time left, the moves,
    // and the hands as on a mechanical chess clock.
    void boardView()
    {
        ClockFixture f;
        frmhoved &w = startUnder(f, fischer(3, 2));
        w.Tavlevisning->trigger();
        QVERIFY(w.board());
        w.starta_Click();
        f.clock.advance(1500);
        w.Command1_Click();
        f.clock.advance(100);
        const gameclock::BoardHalf *a = w.board()->half(gameclock::Player::A);
        QCOMPARE(a->side().time, QStringLiteral("3:02"));
        QCOMPARE(a->side().moves, 1);
        QCOMPARE(a->side().handMinutes, 3418.0 / 60); // 3:02 left: 56:58 on the dial, the minute hand creeping
        QCOMPARE(a->side().handSeconds, 58);
        const QString heard =
            QAccessible::queryAccessibleInterface(const_cast<gameclock::BoardHalf *>(a))->text(QAccessible::Name);
        QVERIFY2(heard.startsWith(QStringLiteral("Spiller A: 3 minutter 2 sekunder igjen")), qPrintable(heard));
        QCOMPARE(w.board()->half(gameclock::Player::B)->side().time, QStringLiteral("3:01"));
    }

    // The choice is kept with QSettings and taken by the next start; a new game keeps it.
    void choiceTakenByTheNextStart()
    {
        QVERIFY(gameclock::chooseControl(QStringLiteral("15 min + 10 s")).isEmpty());
        ClockFixture f;
        frmhoved &w = f.start();
        QVERIFY(w.countdown());
        QCOMPARE(w.kontroll->text(), QStringLiteral("15 min + 10 s"));
        QCOMPARE(w.igjena->text(), QStringLiteral("15:10"));
        // A choice that is gone says so and plays Klassisk.
        QVERIFY(gameclock::chooseControl(QStringLiteral("Borte")).isEmpty());
        w.Nytt->trigger();
        f.clock.advance(1);
        QVERIFY(!w.countdown());
        QVERIFY(w.reportedMessage().contains(QStringLiteral("«Borte» finnes ikke lenger")));
    }

    // The quick check for a settings file finds the one QSettings keeps.
    // A move ends when the key or the finger goes down, however it is ended: the hold is not charged.
    void chargedAtThePress_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Space on the switch") << "space";
        QTest::newRow("the mouse on the switch") << "mouse";
        QTest::newRow("left Shift") << "shift";
        QTest::newRow("a tap on the board") << "board";
    }
    void chargedAtThePress()
    {
        QFETCH(QString, how);
        ClockFixture f;
        frmhoved &w = startUnder(f, fischer(3, 2));
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        if (how == QLatin1String("board"))
            w.Tavlevisning_Click(true);
        w.starta->click();
        f.clock.advance(5000);
        const auto held = [&f] { f.clock.advance(300); };
        if (how == QLatin1String("space")) {
            QTest::keyPress(w.Command1, Qt::Key_Space);
            held();
            QTest::keyRelease(w.Command1, Qt::Key_Space);
        } else if (how == QLatin1String("mouse")) {
            QTest::mousePress(w.Command1, Qt::LeftButton);
            held();
            QTest::mouseRelease(w.Command1, Qt::LeftButton);
        } else if (how == QLatin1String("shift")) {
            support::hold(support::NativeKey::LeftShift, held);
        } else {
            QWidget *half = w.board()->half(gameclock::Player::A);
            QTest::mousePress(half, Qt::LeftButton, {}, half->rect().center());
            held();
            QTest::mouseRelease(half, Qt::LeftButton, {}, half->rect().center());
        }
        QCOMPARE(w.game().record().size(), std::size_t(1));
        QCOMPARE(w.game().record().back().usedMs, 5000);
        // B's clock ran from the press.
        QCOMPARE(w.side(gameclock::Player::B).leftMs, 182'000 - 300);
    }

    // Closing the window by its title bar leaves the game as "Avslutt" does: the backup holds the
    // running clock's time of that moment, not of the last second.
    void closedByTheTitleBar()
    {
        ClockFixture f;
        frmhoved &w = startUnder(f, fischer(3, 2));
        w.starta->click();
        f.clock.advance(1500);
        w.close();
        QCOMPARE(backupState(f).leftMs[0], qint64(182'000 - 1500));
    }

    // A classic file opened after a count-down game: nothing of the count-down game stays, neither
    // its flags nor the note about another file's lines.
    void classicFileAfterACountdownGame()
    {
        ClockFixture f;
        frmhoved &w = startUnder(f, fischer(1, 0));
        w.starta->click();
        f.clock.advance(60'100);
        QTest::keyClick(w.Command1, Qt::Key_Space);
        f.clock.advance(60'100);
        QVERIFY(w.klaffa->hasFallen() && w.klaffb->hasFallen());
        gamefiles::GameValues seven{"3", "0", "4", "0", "Ada", "Bo", "60"};
        gamefiles::GameValues foreign = seven;
        foreign.further = QStringList{QStringLiteral("noe annet")};
        QVERIFY(!w.restoreGame(foreign));
        QVERIFY(!w.reportedMessage().isEmpty());
        QVERIFY(!w.restoreGame(seven));
        QCOMPARE(w.klaffa->title() + w.klaffb->title(), QString());
        QCOMPARE(w.reportedMessage(), QString());
        QVERIFY(!w.countdown());
    }

    // A control's name is shown as it was typed or read, never as markup.
    void controlNameIsPlainText()
    {
        ClockFixture f;
        TimeControl control = fischer(3, 2);
        control.name = QStringLiteral("<b>Lyn</b> <img src=x>");
        frmhoved &w = startUnder(f, control);
        QCoreApplication::processEvents();
        toolkit::FitLabel plain(control.name, w.kontroll->parentWidget());
        plain.setTextFormat(Qt::PlainText);
        plain.setGeometry(w.kontroll->geometry());
        plain.setFont(w.kontroll->font());
        plain.setAlignment(w.kontroll->alignment());
        plain.setWordWrap(true);
        QCOMPARE(w.kontroll->grab().toImage(), plain.grab().toImage());
    }

    void settingsFileFound() { QCOMPARE(toolkit::preferencesFile(), QSettings().fileName()); }
};

QTEST_MAIN(tst_countdowngame)
#include "tst_countdowngame.moc"
